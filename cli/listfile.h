// One file of a run: read and parse it, then list it to standard output or
// save its listing, and say what happened.
#pragma once

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "core/session/naming.h"
#include "cli/progress.h"
#include "core/session/walk.h"
#include "core/listing/csvtable.h"
#include "core/listing/extraction.h"
#include "core/session/session.h"

namespace vaveze::cli {

struct RunSettings {
    ListingOptions Listing;
    bool Utf8 = false;
    bool PathPrefix = false;   // each line starts with "path:"
    bool Quiet = false;        // no line per saved file
    bool NoMessages = false;   // no message about a file but a failed write
    bool FailedNames = false;  // the names of the files not fully listed instead of listings
    bool Json = false;         // listings as JSON Lines
    bool Recursive = false;    // folders named are walked
    CsvTable* Table = nullptr;  // --csv: every listing into this one table
};

// The most read from standard input: a drawing is held in memory whole
// there, and nothing bounds what a pipe may bring.
inline constexpr std::size_t kStandardInputLimit = std::size_t{1} << 30;

// Standard input, read once before the files of the run: the first "-"
// lists what it held; a later one finds it read to its end, as cat does.
struct StandardInput {
    std::string Bytes;
    int Error = 0;          // the errno of a failed read
    bool TooLarge = false;  // it held more than kStandardInputLimit bytes
};

[[nodiscard]] StandardInput ReadStandardInput();

// How the files are read: with --salvage on past their damaged places.
[[nodiscard]] ReadMode ModeOf(const RunSettings& settings);

// Opens `source` into `session`: the file, or with `input` the bytes of
// standard input (which it lets go of); a folder that could not be walked
// is not opened. Throws only std::bad_alloc.
[[nodiscard]] OpenResult OpenSource(const Source& source, StandardInput* input, Session& session,
                                    ReadMode mode);

// Why the file was not listed, or where and why its parse stopped, in the
// user's language; empty for a file read to its end.
[[nodiscard]] std::string ReasonText(const Source& source, const OpenResult& result, const RunSettings& settings);

// What the parallel part of a file's work leaves for its turn to write.
struct Prepared {
    std::unique_ptr<Session> Listed;  // the file's parse, held until listed to standard output
    int Status = 0;       // kExitOk, kExitPartial, kExitNotRecognised or kExitWriteError
    std::string Reason;   // why not recognised or listed in part; translated
    // What a salvage reading found, as the tool says it (empty where it
    // passed over nothing), and the places it passed over.
    std::string Salvaged;
    std::vector<SkippedPlace> Skipped;
    std::size_t Lines = 0;
    std::string WriteFailure;  // why the listing could not be saved; translated
    std::exception_ptr Escaped;  // a fault other than running out of memory, for the tool's guard
};

// Reads and parses the file, or with `input` the bytes of standard input
// (which it lets go of); with a target, also saves the listing there and
// lets go of the tables.
[[nodiscard]] Prepared PrepareFile(const Source& source, const Target* target, const RunSettings& settings,
                                   StandardInput* input) noexcept;

// Standard output as the files of a run share it: once a write to it has
// failed, nothing more can reach the reader, and the run ends there.
struct StandardOutput {
    int Error = 0;  // the errno of the failed write; 0 while it takes what is written

    [[nodiscard]] bool Failed() const noexcept { return Error != 0; }
};

// In the run's order: lists to standard output what was parsed (no target)
// or reports the save, writes the file's name when it asks for the names of
// the files not fully listed, and counts the file. The file's exit status.
// A failed write to standard output is said once, there (a reader that
// went away, not at all), and kept in `output`. Throws what escaped
// PrepareFile, and a fault of its own, for the guard.
int FinishFile(const Source& source, const Target* target, Prepared& prepared, const RunSettings& settings,
               Tally& tally, ProgressLine& progress, StandardOutput& output);

}  // namespace vaveze::cli
