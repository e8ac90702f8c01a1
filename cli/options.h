// The command line of vaveze-list.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/listing/listing.h"
#include "core/session/encoding.h"

namespace vaveze::cli {

enum class FileNames { Auto, Always, Never };

struct Options {
    ListingOptions Listing;
    bool Save = false;
    std::optional<std::filesystem::path> OutputDir;
    std::optional<TextEncoding> Output;  // --utf8, --sjis; else decided by OutputEncoding
    FileNames Prefix = FileNames::Auto;
    bool Recursive = false;
    bool Quiet = false;
    bool NoMessages = false;  // -s: no message about a file; the summary stays
    bool NoSummary = false;   // --no-summary: no summary after a batch
    bool FailedNames = false; // --failed: the names of the files not fully listed, instead of listings
    bool Json = false;        // --json: JSON Lines, one object per line of the listing
    std::optional<std::string> Grep;  // --grep: the text to find, as the command line gave its bytes
    bool NamesOnly = false;   // -l: with --grep, the names of the files that hold the text
    bool Counts = false;      // -c: with --grep, how many lines of each file hold it
    std::optional<std::filesystem::path> Csv;  // --csv: one table of every line of every file, "-" standard output
    unsigned Jobs = 0;  // 0: one per processor
    std::vector<std::filesystem::path> Files;
};

// The name that stands for standard input.
inline constexpr std::string_view kStandardInputName = "-";

// Reads the arguments into `options`; returns -1 to go on, or the exit
// status when help, the version or a usage error has been printed.
// `args` are UTF-8, without the program name.
[[nodiscard]] int ParseArguments(const std::vector<std::string>& args, Options& options);

}  // namespace vaveze::cli
