// Reader of ZVC drawing files (MS-DOS edition).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/readers/dos/dosrecords.h"
#include "core/readers/salvage.h"

namespace vaveze {

inline constexpr std::string_view kZvcMagic = "zv_cad(c)data.......";

struct TLayerGroup2 {
    float Scale = 0.0f;
    std::uint8_t Byte1 = 0;
    std::uint8_t Byte2 = 0;
    std::uint8_t Byte3 = 0;
    std::string Name;  // at most 16 bytes
};

struct TLayer2 {
    std::uint8_t Byte1 = 0;
    std::uint8_t Byte2 = 0;
    std::string Name;  // at most 8 bytes
};

// One header field: the tables say whether a field is an integer or a real.
union TDosField {
    std::int32_t I;
    float F;
};

// The fields of header lines 2, 3 and 4 as a reset leaves them.
[[nodiscard]] std::array<TDosField, 32> DefaultZvcLine2();
[[nodiscard]] std::array<TDosField, 28> DefaultZvcLine3();
[[nodiscard]] std::array<TDosField, 22> DefaultZvcLine4();

// Linear address of a pool address field: characters 1-4 are the segment and
// 6-9 the offset, both hexadecimal; malformed parts count as 0.
[[nodiscard]] std::int32_t ZvcPoolAddress(std::string_view field);

struct TZvcHeader {
    std::string TitleBlock;  // at most 40 bytes
    std::string Text1;       // at most 32 bytes; listed
    std::string Text2;       // at most 32 bytes; listed
    bool RealScale = true;
    std::array<TDosField, 32> Line2 = DefaultZvcLine2();
    std::array<TDosField, 28> Line3 = DefaultZvcLine3();
    std::array<TDosField, 22> Line4 = DefaultZvcLine4();  // fields 0 and 1: pool start and end
    std::vector<std::string> Fields;    // only while decoding

    [[nodiscard]] std::int32_t LineCount() const { return Line2[0].I; }
    [[nodiscard]] std::int32_t ArcCount() const { return Line2[1].I; }
    [[nodiscard]] std::int32_t TextCount() const { return Line2[2].I; }
    [[nodiscard]] std::int32_t PointCount() const { return Line2[3].I; }
    [[nodiscard]] std::int32_t PoolStart() const { return Line4[0].I; }
    [[nodiscard]] std::int32_t PoolEnd() const { return Line4[1].I; }
    [[nodiscard]] std::int32_t PaperSizeCode() const { return Line2[11].I; }
    // Bytes of the string pool; nothing is read when it is not above 0.
    [[nodiscard]] std::int32_t PoolSize() const { return PoolEnd() - PoolStart(); }
};

struct TZvc101Entry {
    std::uint32_t A = 0;
    std::uint32_t B = 0;
    std::uint8_t C = 0;
};

struct ZvcReader {
    std::vector<std::string> HeaderLines;  // 4 lines of 200 bytes
    TZvcHeader Header;
    std::vector<TZvc101Entry> Table101;
    std::vector<std::array<std::uint16_t, 4>> Words;  // 12 entries
    std::vector<TLayerGroup2> LayerGroups;  // 16
    std::vector<TLayer2> Layers;            // 256, group-major
    Table<TSen2> Lines;
    Table<TEnko2> Arcs;
    Table<TMoji2> Texts;
    Table<TTen2> Points;
    PageBuffer TextPool;  // the string pool, whose bytes the texts view
    // What a salvage reading found beyond the place where the parse stopped
    // (SalvageZvc); empty for any other parse.
    SalvageResult Salvaged;
};

void ResetZvc(ZvcReader& reader);
// As ParseZvwBytes and ParseZvwStream.
[[nodiscard]] ParseOutcome ParseZvcBytes(ZvcReader& reader, std::string_view bytes);
[[nodiscard]] ParseOutcome ParseZvcStream(ZvcReader& reader, InputStream& in);
// Reads `bytes`, the whole file of a parse that ended with `outcome`, for
// the texts it could not give (dos/dossalvage.h): what it finds goes to
// reader.Salvaged, and nothing else of the reader changes.
void SalvageZvc(ZvcReader& reader, std::string_view bytes, const ParseOutcome& outcome);

}  // namespace vaveze
