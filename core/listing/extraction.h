// Format detection and the reader side of one extraction: from a chosen path
// to filled reader tables, then to the listing.
#pragma once

#include <string>
#include <string_view>

#include "core/listing/listing.h"
#include "core/readers/dos/zvcunit.h"
#include "core/readers/dos/zvkunit.h"
#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvwunit.h"

namespace vaveze {

enum class FormatKind { None, Zvw, Zvs, Zvc, Zvk };

// One instance of every reader's tables.
struct Readers {
    ZvwReader Zvw;
    ZvsReader Zvs;
    ZvcReader Zvc;
    ZvkReader Zvk;
};

// Warnings for a file whose extension claims a Windows format but whose
// magic does not match (UTF-8).
inline constexpr std::string_view kZvwWarning =
    "このファイルは、Zv_cad for Windows(Ver2.20～)図面ファイルではありません。";
inline constexpr std::string_view kZvsWarning = "このファイルは、Zv_cad for Windows 図形ファイルではありません。";

struct Detection {
    FormatKind Kind = FormatKind::None;
    bool ParsedToEnd = false;  // the parse's result, meaningful when Kind != None
    std::string_view Warning;  // empty when nothing is to be said
};

// Upper-cased extension of the path's file name, from its last dot.
[[nodiscard]] std::string UpperExtension(std::string_view path);

// Decides the format of an existing file by extension and magic and runs the
// matching parse into `readers`. A missing file gives kind None, silently.
[[nodiscard]] Detection DetectAndParse(Readers& readers, const std::string& path);

// Lists the tables of the reader that `kind` selects; kind None lists
// nothing and leaves the sink alone. False when the sink refused a line.
[[nodiscard]] bool ListFormat(FormatKind kind, const Readers& readers, const ListingOptions& options,
                              LineSink& sink);

// Reset and clear every reader, in the order ZVC, ZVK, ZVW, ZVS.
void ResetReaders(Readers& readers);
void ClearReaders(Readers& readers);

[[nodiscard]] std::string_view FormatName(FormatKind kind);

// The save dialog's proposal: the name part of `sourcePath` with its
// extension replaced by ".txt" (".txt" appended when it has none).
[[nodiscard]] std::string ProposedTextName(std::string_view sourcePath);

}  // namespace vaveze
