// Builds drawing (.zvc) and symbol (.zvk) files of the MS-DOS edition from a
// plain document value, for tests, fuzz corpora, benchmarks and samples.
//
// The document says exactly what goes into the file, sound or not: header
// lines are free text, counts and pool addresses are whatever the fields say,
// and records, pools and trailing bytes are written as given. The Sync/Add
// helpers make consistent files; leaving them out makes inconsistent ones.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vaveze::doswriter {

struct LineRecord {  // 22 bytes
    std::array<std::uint8_t, 22> Bytes{};
};

struct ArcRecord {  // 32 bytes
    std::uint32_t Value1 = 0;
    std::uint32_t Value2 = 0;
    std::uint32_t Value3 = 0;
    std::uint16_t Ratio = 0;   // ten-thousandths
    std::int32_t Fixed1 = 0;   // 16.16 fixed point
    std::int32_t Fixed2 = 0;
    std::int32_t Fixed3 = 0;
    std::array<std::uint8_t, 6> Bytes{};
};

struct PointRecord {  // 12 bytes
    std::uint32_t Value1 = 0;
    std::uint32_t Value2 = 0;
    std::uint32_t Value3 = 0;
};

struct TextRecord {  // 24 bytes
    std::array<std::uint32_t, 4> Values{};
    std::uint16_t PoolOffset = 0;
    std::uint16_t PoolSegment = 0;  // drawing files only; symbol files ignore it
    std::array<std::uint8_t, 4> Attr{};
};

// The first header line. Each part is written at its positions, padded with
// NUL bytes or cut to its width: 40, 32, 32 and 96 bytes.
struct FirstLine {
    std::string TitleBlock;  // begins with the magic
    std::string Text1;
    std::string Text2;
    std::string Tail;
};

// A numeric header line: the fields joined by commas, padded with `Pad` or
// cut to 200 bytes. One field can hold a whole line of any bytes.
struct FieldLine {
    std::vector<std::string> Fields;
    char Pad = '\0';
};

// `bytes` padded with `pad` or cut to exactly `width` bytes.
[[nodiscard]] std::string FitTo(std::string_view bytes, std::size_t width, char pad = '\0');

[[nodiscard]] std::string RenderFirstLine(const FirstLine& line);
[[nodiscard]] std::string RenderFieldLine(const FieldLine& line);

// Sets field `index`, adding "0" fields before it when the line is shorter.
void SetField(FieldLine& line, std::size_t index, std::string value);

// Number texts as the header lines hold them.
[[nodiscard]] std::string IntField(std::int64_t value);
[[nodiscard]] std::string RealField(float value);  // shortest text that reads back exactly

// A drawing file's pool address field "SSSS:OOOO" (upper-case hexadecimal).
[[nodiscard]] std::string PoolAddressField(std::uint16_t segment, std::uint16_t offset);
// Segment and offset of a linear address: the segment as large as it can be.
// Throws std::out_of_range above FFFF:FFFF.
[[nodiscard]] std::pair<std::uint16_t, std::uint16_t> SplitLinearAddress(std::uint32_t linear);
[[nodiscard]] std::string PoolAddressField(std::uint32_t linear);

// ---------------------------------------------------------------- drawing files

struct ZvcDocument {
    FirstLine Line1;
    FieldLine Line2;  // 32 fields are read
    FieldLine Line3;  // 28
    FieldLine Line4;  // 22; fields 0 and 1 are the pool addresses

    std::array<std::uint32_t, 101> Table101A{};
    std::array<std::uint32_t, 101> Table101B{};
    std::array<std::uint8_t, 101> Table101C{};
    std::array<std::array<std::uint16_t, 11>, 4> Words{};  // Words[w][i]: word w+1 of entry i

    // Which group scale layout is written; a consistent file also has "f" as
    // character 23 of the title block exactly when this is true.
    bool RealScaleLayout = true;
    std::array<float, 16> RealGroupScales{};
    std::array<std::uint16_t, 16> WordGroupScales{};
    std::array<std::uint8_t, 16> GroupByte1{};
    std::array<std::uint8_t, 256> LayerByte1{};
    std::array<std::uint8_t, 16> GroupByte2{};
    std::array<std::uint8_t, 256> LayerByte2{};
    std::array<std::uint8_t, 16> GroupByte3{};

    std::vector<LineRecord> Lines;
    std::vector<ArcRecord> Arcs;
    std::vector<TextRecord> Texts;
    std::string Pool;  // written as is, whatever the header's addresses say
    std::vector<PointRecord> Points;

    // Written into 8- and 16-byte slots, NUL-padded or cut.
    std::array<std::string, 256> LayerNames;
    std::array<std::string, 16> GroupNames;

    std::string Trailing;  // bytes after the group names

    // Linear address of the pool's first byte, used by AddZvcText and
    // SyncZvcHeader; not written itself.
    std::uint32_t PoolBase = 0x60000;
};

// The title block of a drawing file: the magic, then "f" as character 23
// when `realScale`.
[[nodiscard]] std::string ZvcTitleBlock(bool realScale);

// A consistent empty drawing: magic, header fields of a fresh drawing, no
// entities, pool start equal to pool end.
[[nodiscard]] ZvcDocument NewZvc(bool realScale = true);

// Appends `text` and a NUL to the pool and a text record pointing at it.
TextRecord& AddZvcText(ZvcDocument& doc, std::string_view text);

// Makes the counts of line 2 and the pool addresses of line 4 match the
// records and the pool.
void SyncZvcHeader(ZvcDocument& doc);

[[nodiscard]] std::string WriteZvc(const ZvcDocument& doc);

// Offset of the first line record for either group scale layout.
[[nodiscard]] std::size_t ZvcEntityOffset(bool realScaleLayout);

// ---------------------------------------------------------------- symbol files

struct ZvkDocument {
    FirstLine Line1;
    FieldLine Line2;  // 9 fields: lines, arcs, points, texts, 3 reals, pool size, real

    std::vector<LineRecord> Lines;
    std::vector<ArcRecord> Arcs;
    std::vector<PointRecord> Points;
    std::vector<TextRecord> Texts;
    std::string Pool;

    std::string Trailing;  // bytes after the pool
};

[[nodiscard]] std::string ZvkTitleBlock();

// A consistent empty symbol file.
[[nodiscard]] ZvkDocument NewZvk();

// Appends `text` and a NUL to the pool and a text record pointing at it.
// Throws std::out_of_range when the pool already holds more than 65535 bytes.
TextRecord& AddZvkText(ZvkDocument& doc, std::string_view text);

// Makes the counts and the pool size of line 2 match the records and pool.
void SyncZvkHeader(ZvkDocument& doc);

[[nodiscard]] std::string WriteZvk(const ZvkDocument& doc);

// Writes `bytes` to a new file (replacing an old one); false on failure.
[[nodiscard]] bool SaveFile(const std::string& path, std::string_view bytes);

}  // namespace vaveze::doswriter
