// Record types and serialized primitives shared by the two Windows-format
// readers (drawing files and symbol files use one archive scheme).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "readers/InputStream.h"

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

struct TEntSen {
    TEntAttr Attr;
    std::array<double, 4> D{};
};

struct TEntEnko {
    TEntAttr Attr;
    std::array<double, 7> D{};
    std::int32_t I = 0;
};

struct TEntTen {
    TEntAttr Attr;
    std::array<double, 2> D{};
    std::int32_t I = 0;
    // Extension, present in the file only when Attr.AttrB is 100.
    std::int32_t ExtI = 0;
    std::array<double, 2> ExtD{};
};

struct TEntMoji {
    TEntAttr Attr;
    std::array<double, 4> D1{};
    std::int32_t I = 0;
    std::array<double, 4> D2{};
    std::string FirstString;
    std::string Text;  // the displayed text; the one that is listed
};

struct TEntSunpo {
    TEntAttr Attr;
    TEntSen Line;
    TEntMoji Moji;  // the dimension text
    std::uint16_t W = 0;
    TEntSen Line2;
    TEntSen Line3;
    std::array<TEntTen, 4> Points{};
};

struct TEntSolid {
    TEntAttr Attr;
    std::array<double, 8> D{};
    std::int32_t Extra = 0;  // present only when Attr.AttrC is 10
};

struct TEntBlock {
    TEntAttr Attr;
    std::array<double, 5> D{};
    std::int32_t I = 0;
};

// One entry of an entity order list: kind 1..7 and the index in that kind's table.
struct TOrderEntry {
    std::int32_t Kind = 0;
    std::int32_t Index = 0;
};

// The seven per-kind tables of one entity list, with its order list.
// Each table's count is its size().
struct TEntityTables {
    std::vector<TOrderEntry> Order;  // sized to the declared count
    std::vector<TEntSen> Sen;
    std::vector<TEntEnko> Enko;
    std::vector<TEntTen> Ten;
    std::vector<TEntMoji> Moji;
    std::vector<TEntSunpo> Sunpo;
    std::vector<TEntSolid> Solid;
    std::vector<TEntBlock> Block;
};

struct TEntBlockDef {
    TEntAttr Attr;
    std::int32_t Value1 = 0;
    std::int32_t Value2 = 0;
    std::int32_t Value3 = 0;  // replaced by the 1-based position when its top bit was set
    std::string Name;
    std::int32_t EntityCount = 0;  // declared
    TEntityTables Entities;
};

// Block definition table. The table is sized to the declared count, but
// entries the parse never reached are not materialised: Defs holds the
// entries that were started, TableSize how many entries the table has.
// An entry at index i with Defs.size() <= i < TableSize is empty.
struct TBlockDefTable {
    std::int32_t Count = 0;      // the block definition count as stored
    std::int32_t TableSize = 0;  // entries allocated (0 when sizing failed)
    std::vector<TEntBlockDef> Defs;
};

// Class-tag decoder: object counter and seven class slots, one per parse.
struct TClassTagDecoder {
    std::int32_t ObjectCounter = 1;
    std::array<std::int32_t, 8> Slots{};  // index 1..7 used
};

// --- Serialized primitives ---------------------------------------------------

// Length-prefixed string: 1 byte n; n == 255 escapes to a 16-bit length
// read as 256-byte chunks and a remainder.
std::string ReadLpString(InputStream& in);

// Reads one common attribute block; AttrD is present from version 351.
TEntAttr ReadAttr(InputStream& in, std::int32_t fileVersion);

void CopyAttr(const TEntAttr& source, TEntAttr& destination);

// Object count: 16-bit, 0xFFFF escapes to a signed 32-bit value.
std::int32_t ReadObjectCount(InputStream& in);

}  // namespace vaveze
