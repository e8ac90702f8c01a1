// Reader of ZVW drawing files (Windows edition).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/readers/inputstream.h"
#include "core/readers/parseoutcome.h"
#include "core/readers/salvage.h"
#include "core/readers/win/zvtype.h"

namespace vaveze {

inline constexpr std::string_view kZvwMagic = "ZvwData.";

struct TLayerGroup {
    std::int32_t V1 = 0;
    std::int32_t V2 = 0;
    double D = 0.0;
    std::int32_t V3 = 0;
    std::string Name;

    bool operator==(const TLayerGroup&) const = default;
};

struct TLayer {
    std::int32_t V1 = 0;
    std::int32_t V2 = 0;
    std::string Name;

    bool operator==(const TLayer&) const = default;
};

struct TColorExNo {
    std::int32_t V1 = 0;
    std::int32_t V2 = 0;
    std::string Name;
    std::int32_t V3 = 0;
    std::int32_t V4 = 0;
    double D = 0.0;

    bool operator==(const TColorExNo&) const = default;
};

struct TLineTypeExNo {
    std::array<std::int32_t, 4> V{};
    std::string Name;
    std::int32_t V5 = 0;
    std::array<double, 10> D{};

    bool operator==(const TLineTypeExNo&) const = default;
};

// Header record. Only Magic, FileVersion, Memo and the two counts are
// consumed elsewhere; the numeric blocks are kept as read, named after
// their place in the header (block n is the n-th item of the header, the
// magic being block 1). The member initialisers are the reset defaults.
struct TZvwHeader {
    std::string Magic;  // the first 8 bytes as read
    std::int32_t FileVersion = 0;
    std::string Memo;
    std::int32_t Value4 = 0;  // the two values after the memo
    std::int32_t Value5 = 0;

    std::array<std::int32_t, 14> Block7{};
    std::array<std::int32_t, 7> Block8{};

    std::array<double, 3> Block9D1{0.0, 0.0, 1.0};
    std::array<std::int32_t, 2> Block9I{};
    std::array<double, 5> Block9D2{1.0, 1.0, 1.0, 0.0, 0.0};

    std::array<double, 2> Block12D1{};
    std::int32_t Block12I = 0;
    double Block12D2 = 0.0;
    std::array<double, 2> Block12D3{};  // kept from version 300

    std::int32_t Block13I = 0;
    std::array<double, 6> Block13D{1.0, 0.0, 0.0, 1.0, 0.0, 0.0};

    // Four parallel arrays of eight. Files up to version 230 fill entries 0
    // to 3 of the double arrays only; the rest keeps these defaults.
    std::array<double, 8> Block14A{1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    std::array<double, 8> Block14B{};
    std::array<double, 8> Block14C{};
    std::array<std::int32_t, 8> Block14I{-1, -1, -1, -1, -1, -1, -1, -1};
    std::array<double, 3> Block14TailD1{};  // the tail is present after version 230
    std::int32_t Block14TailI1 = 0;
    std::array<double, 3> Block14TailD2{};
    std::int32_t Block14TailI2 = 0;

    std::array<double, 10> Block15D{};
    double Block15E = 0.0;

    std::array<std::int32_t, 11> Block19I{};   // version 220 and from 223
    std::array<std::int32_t, 5> Block19I2{};   // from 223
    std::array<double, 5> Block19D{};          // from 223
    std::array<double, 4> Block19D2{};         // from 225
    std::array<std::int32_t, 2> Block19I3{};   // from 230

    std::array<double, 3> Block22D1{};
    std::array<std::int32_t, 2> Block22I1{};
    std::array<double, 2> Block22D2{};
    std::int32_t Block22I2 = 0;
    std::array<double, 6> Block22D3{};

    std::int32_t EntityCount = 0;     // declared count of the top-level list
    std::int32_t BlockDefCount = 0;   // declared number of block definitions

    bool operator==(const TZvwHeader&) const = default;
};

// Fixed numeric tables of the header, kept as read.
struct TZvwTable10Entry {  // ten entries; filled by two header blocks
    std::array<std::int32_t, 4> V{};
    double D = 0.0;

    bool operator==(const TZvwTable10Entry&) const = default;
};

struct TZvwLastTableEntry {  // ten entries of three doubles and a value
    std::array<double, 3> D{};
    std::int32_t V = 0;

    bool operator==(const TZvwLastTableEntry&) const = default;
};

// Table sizes every parse allocates before it reads anything.
inline constexpr std::size_t kZvwLayerGroupCount = 16;
inline constexpr std::size_t kZvwLayersPerGroup = 16;
inline constexpr std::size_t kZvwLayerCount = kZvwLayerGroupCount * kZvwLayersPerGroup;
inline constexpr std::size_t kZvwColorCount = 257;
inline constexpr std::size_t kZvwLineTypeCount = 33;
inline constexpr std::size_t kZvwTable10Count = 10;
inline constexpr std::size_t kZvwTable8Count = 8;
inline constexpr std::size_t kZvwTable5Count = 5;
inline constexpr std::size_t kZvwTable4Count = 4;
inline constexpr std::size_t kZvwLastTableCount = 10;

// Layout thresholds of the drawing file's version.
inline constexpr std::int32_t kZvwOldestVersion = 220;
inline constexpr std::int32_t kZvwVersionExtendedTables = 420;  // named colours and line types
inline constexpr std::int32_t kZvwVersionEmbeddedFiles = 700;   // embedded files after the block definitions

// Everything one parse of a ZVW file leaves behind.
struct ZvwReader {
    TZvwHeader Header;
    std::vector<TLayerGroup> LayerGroups;   // 16 once the parse has sized the tables
    std::vector<TLayer> Layers;             // 256, group-major
    std::vector<TColorExNo> Colors;         // 257
    std::vector<TLineTypeExNo> LineTypes;   // 33
    std::vector<TZvwTable10Entry> Table10;                // 10
    std::vector<std::array<std::int32_t, 4>> Table8;      // 8
    std::vector<std::array<std::int32_t, 5>> Table5;      // 5
    std::vector<std::array<std::int32_t, 4>> Table4;      // 4
    std::vector<TZvwLastTableEntry> LastTable;            // 10
    StringPool Strings;  // the bytes of the texts every table below holds
    TEntityTables Entities;                 // top-level entity list
    TBlockDefTable BlockDefs;
    // What a salvage reading found beyond the place where the parse stopped
    // (SalvageZvw); empty for any other parse.
    SalvageResult Salvaged;
};

// Empties every table, as before the first parse.
void ResetZvw(ZvwReader& reader);
// Parses a whole file's bytes; the outcome is complete when every step was
// read. Whatever was read before a stop stays in the reader.
[[nodiscard]] ParseOutcome ParseZvwBytes(ZvwReader& reader, std::string_view bytes);
// The same from a cursor, which may read the file a window at a time: the
// parse copies whatever it keeps.
[[nodiscard]] ParseOutcome ParseZvwStream(ZvwReader& reader, InputStream& in);
// The same two, keeping of the entity lists only what a listing reads: the
// record tables and order lists stay empty, each list's Listed holds its
// texts. The header, the block definitions' heads and names, and the
// outcome are those of the full parse.
[[nodiscard]] ParseOutcome ParseZvwTextsBytes(ZvwReader& reader, std::string_view bytes);
[[nodiscard]] ParseOutcome ParseZvwTextsStream(ZvwReader& reader, InputStream& in);

// The parse of ParseZvwStream or ParseZvwTextsStream, as `kept` asks,
// noting in `trace` where it read what it keeps: for SalvageZvw, which
// must not list it a second time.
[[nodiscard]] ParseOutcome ParseZvwTraced(ZvwReader& reader, InputStream& in, RecordsKept kept, ArchiveTrace& trace);
// Reads `bytes`, the whole file of such a parse that ended with `outcome`,
// on past where it went wrong (win/archivesalvage.h): what it finds goes to
// reader.Salvaged, and nothing else of the reader changes.
void SalvageZvw(ZvwReader& reader, std::string_view bytes, const ArchiveTrace& trace, const ParseOutcome& outcome);

}  // namespace vaveze
