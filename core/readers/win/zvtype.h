// Record types and serialized primitives shared by the two Windows-format
// readers (drawing files and symbol files use one archive scheme).
#pragma once

#include <array>
#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/readers/inputstream.h"
#include "core/readers/pagememory.h"
#include "core/readers/stringpool.h"

namespace vaveze {

// Common attribute block that opens every entity record.
struct TEntAttr {
    std::uint32_t AttrA = 0;
    std::uint8_t AttrB = 0;   // 100 announces a point's extension
    std::uint16_t AttrC = 0;  // 10 announces a solid's extra value
    std::uint16_t AttrD = 0;  // stored only from file version 351
    std::uint16_t AttrE = 0;
    std::uint16_t AttrF = 0;
    std::uint16_t AttrG = 0;

    bool operator==(const TEntAttr&) const = default;
};

// Entity kinds as selected by the serialized class names.
enum EntityKind : std::int32_t {
    kKindNone = 0,
    kKindSen = 1,     // CDataSen: line
    kKindEnko = 2,    // CDataEnko: arc
    kKindTen = 3,     // CDataTen: point
    kKindMoji = 4,    // CDataMoji: text
    kKindSunpou = 5,  // CDataSunpou: dimension
    kKindSolid = 6,   // CDataSolid: solid
    kKindBlock = 7,   // CDataBlock: block insertion
};

inline constexpr std::int32_t kEntityKindCount = 7;

// Serialized class name of each kind, index 1..7 (index 0 is no class).
inline constexpr std::array<std::string_view, 8> kClassNames = {
    "", "CDataSen", "CDataEnko", "CDataTen", "CDataMoji", "CDataSunpou", "CDataSolid", "CDataBlock",
};

// Layout thresholds of the file version.
inline constexpr std::int32_t kVersionAttrD = 351;          // attribute block grows to 15 bytes
inline constexpr std::int32_t kVersionSunpoExtension = 420; // dimensions carry lines and points

// Attribute values that switch on optional record fields.
inline constexpr std::uint8_t kPointExtensionMark = 100;  // TEntAttr::AttrB of a point
inline constexpr std::uint16_t kSolidExtraMark = 10;      // TEntAttr::AttrC of a solid

// Read buffers for class names: a longer name stops the parse (ImpossibleSize).
inline constexpr std::size_t kZvwNameBufferSize = 2048;
inline constexpr std::size_t kZvsNameBufferSize = 200;

struct TEntSen {
    TEntAttr Attr;
    std::array<double, 4> D{};

    bool operator==(const TEntSen&) const = default;
};

struct TEntEnko {
    TEntAttr Attr;
    std::array<double, 7> D{};
    std::int32_t I = 0;

    bool operator==(const TEntEnko&) const = default;
};

struct TEntTen {
    TEntAttr Attr;
    std::array<double, 2> D{};
    std::int32_t I = 0;
    // Extension, present in the file only when Attr.AttrB is 100.
    std::int32_t ExtI = 0;
    std::array<double, 2> ExtD{};

    bool operator==(const TEntTen&) const = default;
};

struct TEntMoji {
    TEntAttr Attr;
    std::array<double, 4> D1{};
    std::int32_t I = 0;
    std::array<double, 4> D2{};
    // Both strings are views of the string pool of the reader that read
    // them, and live as long as its tables.
    std::string_view FirstString;
    std::string_view Text;  // the displayed text; the one that is listed

    bool operator==(const TEntMoji&) const = default;
};

struct TEntSunpo {
    TEntAttr Attr;
    TEntSen Line;
    TEntMoji Moji;  // the dimension text
    // Present in the file from version 420; older files get them in memory.
    std::uint16_t W = 0;
    TEntSen Line2;
    TEntSen Line3;
    std::array<TEntTen, 4> Points{};

    bool operator==(const TEntSunpo&) const = default;
};

struct TEntSolid {
    TEntAttr Attr;
    std::array<double, 8> D{};
    std::int32_t Extra = 0;  // present only when Attr.AttrC is 10

    bool operator==(const TEntSolid&) const = default;
};

struct TEntBlock {
    TEntAttr Attr;
    std::array<double, 5> D{};
    std::int32_t I = 0;

    bool operator==(const TEntBlock&) const = default;
};

// One entry of an entity order list: kind 1..7 and the index in that kind's table.
struct TOrderEntry {
    std::int32_t Kind = 0;
    std::int32_t Index = 0;

    bool operator==(const TOrderEntry&) const = default;
};

// What a listing reads of one entity list: the text of each text record
// and of each dimension, in file order, as views of the reader's string pool.
struct TEntityTexts {
    Table<std::string_view> Texts;
    Table<std::string_view> DimensionTexts;

    bool operator==(const TEntityTexts&) const = default;
};

// What a parse keeps of the records of the entity lists.
enum class RecordsKept : std::uint8_t {
    All,        // every record in its kind's table, with each list's order list
    TextsOnly,  // the texts alone (TEntityTables::Listed), for a listing and nothing else
};

// The seven per-kind tables of one entity list, with its order list.
// Each table's count is its size(). A parse that keeps the texts alone
// leaves them all empty and fills Listed instead.
struct TEntityTables {
    Table<TOrderEntry> Order;  // sized to the declared count
    Table<TEntSen> Sen;
    Table<TEntEnko> Enko;
    Table<TEntTen> Ten;
    Table<TEntMoji> Moji;
    Table<TEntSunpo> Sunpo;
    Table<TEntSolid> Solid;
    Table<TEntBlock> Block;
    TEntityTexts Listed;

    bool operator==(const TEntityTables&) const = default;
};

struct TEntBlockDef {
    TEntAttr Attr;
    std::int32_t Value1 = 0;
    std::int32_t Value2 = 0;
    std::int32_t Value3 = 0;  // replaced by the 1-based position when its top bit was set
    std::string Name;
    std::int32_t EntityCount = 0;  // declared
    TEntityTables Entities;

    bool operator==(const TEntBlockDef&) const = default;
};

// Block definition table. The table is sized to the declared count, but
// entries the parse never reached are not materialised: Defs holds the
// entries that were started, TableSize how many entries the table has.
// An entry at index i with Defs.size() <= i < TableSize is empty.
struct TBlockDefTable {
    std::int32_t Count = 0;      // the block definition count as stored
    std::int32_t TableSize = 0;  // entries allocated (0 when sizing failed)
    Table<TEntBlockDef> Defs;
};

// Class-tag decoder: object counter and seven class slots, one per parse.
// Lives for one parse and carries across every list of that parse, so a
// class defined in one list can be referenced in a later one.
struct TClassTagDecoder {
    std::int32_t ObjectCounter = 1;
    std::array<std::int32_t, 8> Slots{};  // index 1..7 used
};

// Where a parse read what it keeps for a listing, noted for a salvage
// reading that must not list it a second time (win/archivesalvage.h).
struct ArchiveTrace {
    static constexpr std::uint64_t kNotReached = ~std::uint64_t{0};
    // What Listed notes besides the two kinds of records with a text.
    static constexpr std::uint64_t kBlockDefinition = 8;

    // The offset of the top-level list's count: where the entity lists begin.
    std::uint64_t EntityListAt = kNotReached;
    // The first string of the header that no drawing holds (see
    // PlausibleSalvageText); kNotReached when every one read could be right.
    std::uint64_t FirstDamagedHeaderText = kNotReached;
    // The tag offset of each text and dimension record read whole and of
    // each block definition entered, shifted left by four, with its kind
    // (kKindMoji, kKindSunpou, kBlockDefinition) below: in file order.
    Table<std::uint64_t> Listed;
    // Memory ran out for Listed: it holds only the first of them.
    bool Lost = false;
    // Whether what follows the block definitions of a parse read to its end
    // is what a file holds there: nothing, or a drawing's embedded files
    // running exactly to its end. Where it is not, the parse took damaged
    // bytes for records somewhere, and a salvage reading looks for them.
    bool EndsWell = true;

    void Note(std::uint64_t tagAt, std::uint64_t kind) noexcept
    {
        if (!Lost && TryRoomForOne(Listed))
            Listed.push_back(tagAt << 4 | kind);
        else
            Lost = true;
    }
};

// What record reading needs to know about the file being parsed, and what
// it keeps of it.
struct TArchiveFormat {
    std::int32_t FileVersion = 0;
    std::size_t NameBufferSize = kZvwNameBufferSize;
    // Bytes in the whole file: no declared count may exceed it.
    std::size_t FileSize = 0;
    RecordsKept Kept = RecordsKept::All;
    // Where a parse read for salvage notes what it keeps; null for any other.
    ArchiveTrace* Trace = nullptr;
};

// --- Serialized primitives ---------------------------------------------------

// Length-prefixed string: 1 byte n; n == 255 escapes to a 16-bit length
// read as 256-byte chunks and a remainder. A string cut off reads as empty.
[[nodiscard]] std::string ReadLpString(InputStream& in);
// The string's bytes as the cursor gives them: good only until its next read.
[[nodiscard]] std::string_view ReadLpStringBytes(InputStream& in);

// Reads one common attribute block; AttrD is present from version 351.
[[nodiscard]] TEntAttr ReadAttr(InputStream& in, std::int32_t fileVersion);

void CopyAttr(const TEntAttr& source, TEntAttr& destination);

// Object count: 16-bit, 0xFFFF escapes to a signed 32-bit value.
[[nodiscard]] std::int32_t ReadObjectCount(InputStream& in);

// Number of entries a table declared with `count` may be sized to. A
// negative count, or one above the file's size in bytes (no file can hold
// that many records), stops the parse (ImpossibleSize) at `countAt`, the
// count's offset, and gives 0.
[[nodiscard]] std::size_t CheckedTableSize(InputStream& in, std::int32_t count, std::size_t fileSize,
                                           std::uint64_t countAt = InputStream::kAtCursor);

// Kind selected by an exact class name; kKindNone for any other name.
[[nodiscard]] EntityKind ClassKindOfName(std::string_view name);

// Reads one class tag in front of an entity and decides its kind.
[[nodiscard]] EntityKind ReadClassTag(InputStream& in, TClassTagDecoder& decoder, std::size_t nameBufferSize);

// Reads the tag in front of a block definition: consumed and counted, never
// compared with anything.
void ReadBlockDefTag(InputStream& in, TClassTagDecoder& decoder, std::size_t nameBufferSize);

// One record of each kind, as laid out in a file of the given version.
[[nodiscard]] TEntSen ReadSen(InputStream& in, std::int32_t fileVersion);
[[nodiscard]] TEntEnko ReadEnko(InputStream& in, std::int32_t fileVersion);
[[nodiscard]] TEntTen ReadTen(InputStream& in, std::int32_t fileVersion);
[[nodiscard]] TEntSolid ReadSolid(InputStream& in, std::int32_t fileVersion);
[[nodiscard]] TEntBlock ReadBlock(InputStream& in, std::int32_t fileVersion);
// Text records keep their numbers when a string is cut off, so the record
// is read into its (already appended) table entry in two steps. Its
// strings are kept in `strings`. A record cut off among its numbers leaves
// the entry as it was, zero.
void ReadMojiInto(InputStream& in, std::int32_t fileVersion, StringPool& strings, TEntMoji& entry);
// A dimension is stored whole, strings included, or not at all: one cut
// off anywhere leaves its entry empty.
void ReadSunpoInto(InputStream& in, std::int32_t fileVersion, StringPool& strings, TEntSunpo& entry);
[[nodiscard]] TEntSunpo ReadSunpo(InputStream& in, std::int32_t fileVersion, StringPool& strings);

// What both formats hold after their headers: the top-level entity list,
// its count (stored in `entityCount` once read) included, then the block
// definitions, which may reference the classes of the top level.
void ReadEntityListAndBlocks(InputStream& in, const TArchiveFormat& format, std::int32_t& entityCount,
                             StringPool& strings, TEntityTables& entities, TBlockDefTable& blockDefs);

}  // namespace vaveze
