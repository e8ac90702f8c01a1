// Format detection and the reader side of one extraction: from a chosen path
// (or a file's bytes and name) to filled reader tables, then to the listing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/listing/listing.h"
#include "core/readers/fileaccess.h"
#include "core/readers/parseoutcome.h"
#include "core/readers/dos/zvcunit.h"
#include "core/readers/dos/zvkunit.h"
#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvwunit.h"

namespace vaveze {

enum class FormatKind { None, Zvw, Zvs, Zvc, Zvk };

// How a file is read: in order until the first place where it is damaged,
// as ever; or, past that place, on as far as records can be read again
// (a salvage reading, whose texts each reader keeps apart in Salvaged and
// a listing shows only when asked: ListingOptions::Salvage).
enum class ReadMode : std::uint8_t { Ordinary, Salvage };

// One instance of every reader's tables.
struct Readers {
    ZvwReader Zvw;
    ZvsReader Zvs;
    ZvcReader Zvc;
    ZvkReader Zvk;
};

// The warning the window shows for a file whose extension claims a Windows
// format but whose magic does not match. Its words are the session's
// (WarningText).
enum class WarningKind : std::uint8_t { None, NotZvw, NotZvs };

// What a file's name claims it is, by its extension in any case: one of the
// four formats, a backup of any of them (.bak, .bk?, .zv$), or nothing
// detection looks at.
enum class NameClass : std::uint8_t { Zvw, Zvs, Zvc, Zvk, Backup, Other };

[[nodiscard]] NameClass ClassifyName(const std::filesystem::path& path);

// True for the names detection examines: the four formats' and the backups'.
[[nodiscard]] inline bool IsDrawingName(const std::filesystem::path& path)
{
    return ClassifyName(path) != NameClass::Other;
}

struct Detection {
    FormatKind Kind = FormatKind::None;
    ParseOutcome Outcome;  // how the parse ended, when Kind != None
    WarningKind Warning = WarningKind::None;
    // Why the file could not be read (Empty: it holds no byte), with the
    // system's own words where it gave any. DescribeFileProblem says it.
    FileProblem Problem = FileProblem::None;
    std::string SystemMessage;
};

// Upper-cased extension of the path's file name, from its last dot ("" when
// it has none). Characters outside ASCII of a wide file name become '?'.
[[nodiscard]] std::string UpperExtension(const std::filesystem::path& path);

// Decides the format of a file's bytes by the extension of `name` and the
// magic, and runs the matching parse into `readers`: the rules of
// DetectAndParse, for bytes that are already in memory. Only the file name's
// extension is used; nothing is read from disk.
[[nodiscard]] Detection DetectAndParseBytes(Readers& readers, const std::filesystem::path& name,
                                            std::string_view bytes, RecordsKept kept = RecordsKept::All,
                                            ReadMode mode = ReadMode::Ordinary);

// Reads the file once and detects and parses its bytes. A missing file gives
// kind None and no warning; any other file that cannot be read is examined
// as holding no byte (so a .zvw or .zvs still warns) and says why in Problem.
// A caller that only lists the file keeps the texts alone (RecordsKept::
// TextsOnly): the Windows readers then keep a fraction of the memory, and
// the listing is the same.
// A salvage reading of a file that could not be read to its end reads it
// once more, whole, for what lies beyond.
[[nodiscard]] Detection DetectAndParse(Readers& readers, const std::filesystem::path& path,
                                       RecordsKept kept = RecordsKept::All, ReadMode mode = ReadMode::Ordinary);

// Lists the tables of the reader that `kind` selects; kind None lists
// nothing and leaves the sink alone. False when the sink refused a line.
[[nodiscard]] bool ListFormat(FormatKind kind, const Readers& readers, const ListingOptions& options,
                              LineSink& sink);

// What the salvage reading of the reader that `kind` selects found; null
// for kind None.
[[nodiscard]] const SalvageResult* SalvageOf(FormatKind kind, const Readers& readers);

// Reset and clear every reader, in the order ZVC, ZVK, ZVW, ZVS.
void ResetReaders(Readers& readers);
void ClearReaders(Readers& readers);

[[nodiscard]] std::string_view FormatName(FormatKind kind);

// The save dialog's proposal: the file name of `sourcePath` with its
// extension replaced by ".txt" (".txt" appended when it has none).
[[nodiscard]] std::filesystem::path ProposedTextName(const std::filesystem::path& sourcePath);

}  // namespace vaveze
