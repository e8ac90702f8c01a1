// Reader of ZVS symbol files (Windows edition, one figure).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/readers/win/zvtype.h"
#include "core/readers/win/zvwunit.h"

namespace vaveze {

inline constexpr std::string_view kZvsMagic = "ZvsData";

struct TZvsHeader {
    std::string Magic;  // the first 7 bytes as read
    std::int32_t FileVersion = 0;
    std::array<double, 2> Reals1{};     // header reals 1 and 2
    std::array<std::int32_t, 6> Ints{}; // header integers 1 to 6
    std::array<double, 10> Reals3{};    // header reals 3 to 12
    std::int32_t EntityCount = 0;       // declared count of the figure list
    std::int32_t BlockDefCount = 0;     // mirrors BlockDefs.Count

    bool operator==(const TZvsHeader&) const = default;
};

struct ZvsReader {
    TZvsHeader Header;
    std::vector<TLayerGroup> LayerGroups;  // 16; only the doubles are filled
    StringPool Strings;  // the bytes of the texts every table below holds
    TEntityTables Entities;                // the figure entity list
    TBlockDefTable BlockDefs;
    SalvageResult Salvaged;                // as ZvwReader's
};

void ResetZvs(ZvsReader& reader);
// As the four parses of ZVW files.
[[nodiscard]] ParseOutcome ParseZvsBytes(ZvsReader& reader, std::string_view bytes);
[[nodiscard]] ParseOutcome ParseZvsStream(ZvsReader& reader, InputStream& in);
[[nodiscard]] ParseOutcome ParseZvsTextsBytes(ZvsReader& reader, std::string_view bytes);
[[nodiscard]] ParseOutcome ParseZvsTextsStream(ZvsReader& reader, InputStream& in);
// As ParseZvwTraced and SalvageZvw.
[[nodiscard]] ParseOutcome ParseZvsTraced(ZvsReader& reader, InputStream& in, RecordsKept kept, ArchiveTrace& trace);
void SalvageZvs(ZvsReader& reader, std::string_view bytes, const ArchiveTrace& trace, const ParseOutcome& outcome);

}  // namespace vaveze
