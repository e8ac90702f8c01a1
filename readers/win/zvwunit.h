// Reader of ZVW drawing files (Windows edition).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "readers/win/zvtype.h"

namespace vaveze {

inline constexpr std::string_view kZvwMagic = "ZvwData.";

struct TLayerGroup {
    std::int32_t V1 = 0;
    std::int32_t V2 = 0;
    double D = 0.0;
    std::int32_t V3 = 0;
    std::string Name;
};

struct TLayer {
    std::int32_t V1 = 0;
    std::int32_t V2 = 0;
    std::string Name;
};

struct TColorExNo {
    std::int32_t V1 = 0;
    std::int32_t V2 = 0;
    std::string Name;
    std::int32_t V3 = 0;
    std::int32_t V4 = 0;
    double D = 0.0;
};

struct TLineTypeExNo {
    std::array<std::int32_t, 4> V{};
    std::string Name;
    std::int32_t V5 = 0;
    std::array<double, 10> D{};
};

// Header record. Only Magic, FileVersion, Memo and the two counts are
// consumed elsewhere; the numeric blocks are kept as read (see zvwunit.cpp
// for the layout of each block).
struct TZvwHeader {
    std::string Magic;
    std::int32_t FileVersion = 0;
    std::string Memo;
    std::vector<std::int32_t> Ints;   // every 32-bit header value, file order
    std::vector<double> Doubles;      // every double header value, file order
    std::int32_t EntityCount = 0;     // declared count of the top-level list
    std::int32_t BlockDefCount = 0;   // declared number of block definitions
};

// Everything one parse of a ZVW file leaves behind.
struct ZvwReader {
    TZvwHeader Header;
    std::vector<TLayerGroup> LayerGroups;   // 16 once the parse has sized the tables
    std::vector<TLayer> Layers;             // 256, group-major
    std::vector<TColorExNo> Colors;         // 257
    std::vector<TLineTypeExNo> LineTypes;   // 33
    TEntityTables Entities;                 // top-level entity list
    TBlockDefTable BlockDefs;
};

[[nodiscard]] bool IsZvwFile(const std::string& path);
void ResetZvw(ZvwReader& reader);
// Reads the whole file; true when every step was read. Whatever was read
// before an error stays in the reader.
[[nodiscard]] bool ParseZvw(ZvwReader& reader, const std::string& path);
[[nodiscard]] bool ParseZvwBytes(ZvwReader& reader, std::string_view bytes);
void ClearZvw(ZvwReader& reader);

}  // namespace vaveze
