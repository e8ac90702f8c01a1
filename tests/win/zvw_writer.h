// Writer of drawing (ZVW) and symbol (ZVS) files for tests, fuzz corpora and
// benchmarks. Two levels:
//  - ArchiveWriter appends single fields (numbers, strings, counts, tags,
//    records) for hand-made and deliberately broken files;
//  - ZvwDocument / ZvsDocument describe a whole file as values, and
//    WriteZvw / WriteZvs serialise them, numbering classes the way the
//    archive does (a class is defined on first use and referenced after).
// Records are the reader's own types, so a parsed file can be compared with
// the document it came from (see StoredTables).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvtype.h"
#include "core/readers/win/zvwunit.h"

namespace vaveze::winwriter {

// Appends little-endian fields to a byte string.
class ArchiveWriter {
public:
    void Reserve(std::size_t bytes) { data_.reserve(bytes); }
    [[nodiscard]] std::size_t Size() const noexcept { return data_.size(); }
    [[nodiscard]] const std::string& Data() const noexcept { return data_; }
    [[nodiscard]] std::string Take() { return std::move(data_); }

    void U8(std::uint8_t value) { data_.push_back(static_cast<char>(value)); }
    void U16(std::uint16_t value);
    void U32(std::uint32_t value);
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void Double(double value);
    void Bytes(std::string_view bytes) { data_.append(bytes); }
    void Zeros(std::size_t count) { data_.append(count, '\0'); }
    // Exactly `size` bytes: `bytes` cut or padded with zeros.
    void Fixed(std::string_view bytes, std::size_t size);

    template <std::size_t N>
    void Doubles(const std::array<double, N>& values)
    {
        for (double d : values)
            Double(d);
    }
    template <std::size_t N>
    void I32s(const std::array<std::int32_t, N>& values)
    {
        for (std::int32_t v : values)
            I32(v);
    }

    // Length-prefixed string in its shortest form: one length byte below
    // 255 bytes, else 255 and a 16-bit length. Throws above 65535 bytes.
    void LpString(std::string_view text);
    // Always the escape form, even for short strings (readers accept it).
    void LpStringEscaped(std::string_view text);
    // From now on LpString (and every record's strings) uses the escape form.
    void EscapeEveryString(bool on) { escapeEveryString_ = on; }

    // Object count: 16 bits, escaped to 32 bits when it does not fit (or
    // is negative). The escaped form is also legal for small counts.
    void ObjectCount(std::int32_t count);
    void ObjectCountEscaped(std::int32_t count);

    // Class tags.
    void NewClassTag(std::string_view className, std::uint16_t schema = 1);
    void ShortReference(std::uint16_t index) { U16(static_cast<std::uint16_t>(0x8000u + index)); }
    // 0x7FFF and a 32-bit index; archives set bit 31, which readers clear.
    void LongReference(std::uint32_t index, bool setTopBit = true);

    // Records without their tags, laid out for the given file version.
    void Attr(const TEntAttr& attr, std::int32_t version);
    void Sen(const TEntSen& record, std::int32_t version);
    void Enko(const TEntEnko& record, std::int32_t version);
    void Ten(const TEntTen& record, std::int32_t version);
    void Moji(const TEntMoji& record, std::int32_t version);
    void Sunpo(const TEntSunpo& record, std::int32_t version);
    void Solid(const TEntSolid& record, std::int32_t version);
    void Block(const TEntBlock& record, std::int32_t version);

private:
    std::string data_;
    bool escapeEveryString_ = false;
};

// One entity of any of the seven kinds.
using Entity = std::variant<TEntSen, TEntEnko, TEntTen, TEntMoji, TEntSunpo, TEntSolid, TEntBlock>;

[[nodiscard]] EntityKind KindOf(const Entity& entity);

// How the tag in front of an object is written.
enum class TagForm {
    Auto,      // define the class on first use, short reference after
    NewClass,  // (re)define the class; later references use the new index
    ShortRef,  // 0x8000 + index (the class must be defined)
    LongRef,   // 0x7FFF + 32-bit index (the class must be defined)
};

struct EntityItem {
    Entity Record;
    TagForm Tag = TagForm::Auto;
};

// A new-class tag whose name no kind matches; readers skip it and take the
// next two bytes as the next tag.
struct UnknownClassItem {
    std::string ClassName;
};

// Bytes written as they are, for anything the other items cannot express.
// CounterAdvance keeps later references in step when the bytes hold
// objects or class definitions that readers count.
struct RawItem {
    std::string Bytes;
    std::int32_t CounterAdvance = 0;
};

using ListItem = std::variant<EntityItem, UnknownClassItem, RawItem>;

struct EntityList {
    std::vector<ListItem> Items;
    std::optional<std::int32_t> DeclaredCount;  // default: the number of entities
    bool EscapeCount = false;                   // write the count in its 32-bit form

    EntityList& Add(Entity record, TagForm tag = TagForm::Auto);
    EntityList& AddUnknownClass(std::string className);
    EntityList& AddRaw(std::string bytes, std::int32_t counterAdvance = 0);
    [[nodiscard]] std::int32_t EntityCount() const;
};

struct BlockDefItem {
    TEntAttr Attr;
    std::int32_t Value1 = 0;
    std::int32_t Value2 = 0;
    std::uint32_t Value3 = 0;          // bit 31 set: 8 extra bytes follow
    std::string Extra = std::string(8, '\0');
    std::string Name;
    EntityList Entities;
    TagForm Tag = TagForm::Auto;
};

struct BlockDefList {
    std::vector<BlockDefItem> Defs;
    std::optional<std::int32_t> DeclaredCount;  // default: Defs.size()
    bool EscapeCount = false;
    std::string ClassName = "CBlockDefinition";  // readers never look at it
};

// Numbers objects and classes as a reader counts them: 1 at the start, one
// index per class definition and per object, across all lists of a file.
class ClassNumbering {
public:
    void EntityTag(ArchiveWriter& out, EntityKind kind, TagForm form);
    void UnknownClass(ArchiveWriter& out, std::string_view className);
    void BlockDefTag(ArchiveWriter& out, std::string_view className, TagForm form);
    void ObjectWritten() { ++counter_; }
    void Advance(std::int32_t count) { counter_ += count; }
    [[nodiscard]] std::int32_t Counter() const noexcept { return counter_; }
    // Index under which the kind's class is defined; 0 when it is not.
    [[nodiscard]] std::int32_t ClassIndex(EntityKind kind) const { return classIndex_[kind]; }

private:
    void Reference(ArchiveWriter& out, std::int32_t index, TagForm form);

    std::int32_t counter_ = 1;
    std::array<std::int32_t, 8> classIndex_{};
    std::int32_t blockDefClassIndex_ = 0;
};

// One record, in the form of the given file version.
void WriteEntity(ArchiveWriter& out, const Entity& entity, std::int32_t version);

// A list (count and objects) and a block definition list (count and
// definitions), for files put together by hand.
void WriteEntityList(ArchiveWriter& out, ClassNumbering& numbering, const EntityList& list, std::int32_t version);
void WriteBlockDefList(ArchiveWriter& out, ClassNumbering& numbering, const BlockDefList& list, std::int32_t version);

struct EmbeddedFile {
    std::string Name;
    std::string Data;
};

// A whole drawing file. Tables shorter than their fixed size are written
// as if the missing entries were zero with empty names.
struct ZvwDocument {
    std::string Magic = std::string(kZvwMagic);  // written as exactly 8 bytes
    std::int32_t Version = 700;
    // Memo and numeric blocks; Magic, FileVersion and the two counts are
    // taken from the document instead.
    TZvwHeader Header;
    std::vector<TLayerGroup> LayerGroups;
    std::vector<TLayer> Layers;  // group-major
    std::vector<TColorExNo> Colors;
    std::vector<TLineTypeExNo> LineTypes;
    std::vector<TZvwTable10Entry> Table10;
    std::vector<std::array<std::int32_t, 4>> Table8;
    std::vector<std::array<std::int32_t, 5>> Table5;
    std::vector<std::array<std::int32_t, 4>> Table4;
    std::vector<TZvwLastTableEntry> LastTable;
    EntityList Entities;
    BlockDefList BlockDefs;
    bool EmbeddedSection = true;  // from version 700: count and files
    std::vector<EmbeddedFile> EmbeddedFiles;
    std::string Trailer;          // anything after the end
    bool EscapeStrings = false;   // every string in its 16-bit form

    TLayerGroup& Group(std::size_t group);
    TLayer& Layer(std::size_t group, std::size_t layer);
    TColorExNo& Color(std::size_t index);
    TLineTypeExNo& LineType(std::size_t index);
};

// A whole symbol file.
struct ZvsDocument {
    std::string Magic = std::string(kZvsMagic);  // written as exactly 7 bytes
    std::string Filler;                          // the next 193 bytes, zero-padded
    std::int32_t Version = 420;
    std::array<double, 2> Reals1{};
    std::array<double, 16> GroupDoubles{};
    std::array<std::int32_t, 6> Ints{};
    std::array<double, 10> Reals3{};
    EntityList Entities;
    BlockDefList BlockDefs;
    std::string Trailer;
    bool EscapeStrings = false;  // every string in its 16-bit form
};

// The header of a drawing file, up to (not including) the entity count.
void WriteZvwHeader(ArchiveWriter& out, const ZvwDocument& doc);
// The first 452 bytes of a symbol file.
void WriteZvsHeader(ArchiveWriter& out, const ZvsDocument& doc);

[[nodiscard]] std::string WriteZvw(const ZvwDocument& doc);
[[nodiscard]] std::string WriteZvs(const ZvsDocument& doc);

// --- What a reader keeps of what was written ---------------------------------

// The record as a reader stores it from a file of `version`: fields the
// layout does not carry are 0, an old dimension is completed from its
// own attributes.
[[nodiscard]] Entity StoredRecord(const Entity& entity, std::int32_t version);
// The tables a reader fills from a complete list of `version`.
[[nodiscard]] TEntityTables StoredTables(const EntityList& list, std::int32_t version);

// --- Shortcuts for building documents ------------------------------------------

// A copy of `text` that lives as long as the program: a record made to be
// written views its strings, as a reader's records view its pool.
[[nodiscard]] std::string_view KeptText(std::string_view text);
[[nodiscard]] TEntMoji MakeMoji(std::string_view text, std::string_view firstString = {});
[[nodiscard]] TEntSunpo MakeSunpo(std::string text);
[[nodiscard]] TEntSen MakeSen(double x1, double y1, double x2, double y2);
[[nodiscard]] BlockDefItem MakeBlockDef(std::string name, EntityList entities = {});

}  // namespace vaveze::winwriter
