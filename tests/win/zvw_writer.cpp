#include "tests/win/zvw_writer.h"

#include <cstring>
#include <mutex>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace vaveze::winwriter {
namespace {

template <typename T>
const T& EntryOrEmpty(const std::vector<T>& table, std::size_t index)
{
    static const T empty{};
    return index < table.size() ? table[index] : empty;
}

template <typename T>
T& GrowTo(std::vector<T>& table, std::size_t index)
{
    if (table.size() <= index)
        table.resize(index + 1);
    return table[index];
}

void WriteCount(ArchiveWriter& out, std::int32_t count, bool escaped)
{
    if (escaped)
        out.ObjectCountEscaped(count);
    else
        out.ObjectCount(count);
}


TEntAttr StoredAttr(TEntAttr attr, std::int32_t version)
{
    if (version < kVersionAttrD)
        attr.AttrD = 0;
    return attr;
}

TEntTen StoredTen(TEntTen point, std::int32_t version)
{
    point.Attr = StoredAttr(point.Attr, version);
    if (point.Attr.AttrB != kPointExtensionMark) {
        point.ExtI = 0;
        point.ExtD = {};
    }
    return point;
}

TEntSen StoredSen(TEntSen line, std::int32_t version)
{
    line.Attr = StoredAttr(line.Attr, version);
    return line;
}

TEntMoji StoredMoji(TEntMoji text, std::int32_t version)
{
    text.Attr = StoredAttr(text.Attr, version);
    return text;
}

template <typename T>
void AppendTo(Table<T>& table, const Entity& stored, Table<TOrderEntry>& order, EntityKind kind)
{
    table.push_back(std::get<T>(stored));
    order.push_back(TOrderEntry{kind, static_cast<std::int32_t>(table.size() - 1)});
}

}  // namespace

void WriteEntity(ArchiveWriter& out, const Entity& entity, std::int32_t version)
{
    std::visit(
        [&](const auto& record) {
            using T = std::decay_t<decltype(record)>;
            if constexpr (std::is_same_v<T, TEntSen>)
                out.Sen(record, version);
            else if constexpr (std::is_same_v<T, TEntEnko>)
                out.Enko(record, version);
            else if constexpr (std::is_same_v<T, TEntTen>)
                out.Ten(record, version);
            else if constexpr (std::is_same_v<T, TEntMoji>)
                out.Moji(record, version);
            else if constexpr (std::is_same_v<T, TEntSunpo>)
                out.Sunpo(record, version);
            else if constexpr (std::is_same_v<T, TEntSolid>)
                out.Solid(record, version);
            else
                out.Block(record, version);
        },
        entity);
}

// --- ArchiveWriter ---------------------------------------------------------------

void ArchiveWriter::U16(std::uint16_t value)
{
    const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    data_.append(bytes, sizeof bytes);
}

void ArchiveWriter::U32(std::uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF), static_cast<char>(value >> 24)};
    data_.append(bytes, sizeof bytes);
}

void ArchiveWriter::Double(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char bytes[8];
    for (char& b : bytes) {
        b = static_cast<char>(bits & 0xFF);
        bits >>= 8;
    }
    data_.append(bytes, sizeof bytes);
}

void ArchiveWriter::Fixed(std::string_view bytes, std::size_t size)
{
    const std::size_t used = bytes.size() < size ? bytes.size() : size;
    data_.append(bytes.substr(0, used));
    Zeros(size - used);
}

void ArchiveWriter::LpString(std::string_view text)
{
    if (text.size() < 255 && !escapeEveryString_) {
        U8(static_cast<std::uint8_t>(text.size()));
        Bytes(text);
        return;
    }
    LpStringEscaped(text);
}

void ArchiveWriter::LpStringEscaped(std::string_view text)
{
    if (text.size() > 0xFFFF)
        throw std::length_error("length-prefixed string longer than 65535 bytes");
    U8(255);
    U16(static_cast<std::uint16_t>(text.size()));
    Bytes(text);
}

void ArchiveWriter::ObjectCount(std::int32_t count)
{
    if (count >= 0 && count < 0xFFFF)
        U16(static_cast<std::uint16_t>(count));
    else
        ObjectCountEscaped(count);
}

void ArchiveWriter::ObjectCountEscaped(std::int32_t count)
{
    U16(0xFFFF);
    I32(count);
}

void ArchiveWriter::NewClassTag(std::string_view className, std::uint16_t schema)
{
    U16(0xFFFF);
    U16(schema);
    U16(static_cast<std::uint16_t>(className.size()));
    Bytes(className);
}

void ArchiveWriter::LongReference(std::uint32_t index, bool setTopBit)
{
    U16(0x7FFF);
    U32(setTopBit ? (index | 0x80000000u) : index);
}

void ArchiveWriter::Attr(const TEntAttr& attr, std::int32_t version)
{
    U32(attr.AttrA);
    U8(attr.AttrB);
    U16(attr.AttrC);
    if (version >= kVersionAttrD)
        U16(attr.AttrD);
    U16(attr.AttrE);
    U16(attr.AttrF);
    U16(attr.AttrG);
}

void ArchiveWriter::Sen(const TEntSen& record, std::int32_t version)
{
    Attr(record.Attr, version);
    Doubles(record.D);
}

void ArchiveWriter::Enko(const TEntEnko& record, std::int32_t version)
{
    Attr(record.Attr, version);
    Doubles(record.D);
    I32(record.I);
}

void ArchiveWriter::Ten(const TEntTen& record, std::int32_t version)
{
    Attr(record.Attr, version);
    Doubles(record.D);
    I32(record.I);
    if (record.Attr.AttrB == kPointExtensionMark) {
        I32(record.ExtI);
        Doubles(record.ExtD);
    }
}

void ArchiveWriter::Moji(const TEntMoji& record, std::int32_t version)
{
    Attr(record.Attr, version);
    Doubles(record.D1);
    I32(record.I);
    Doubles(record.D2);
    LpString(record.FirstString);
    LpString(record.Text);
}

void ArchiveWriter::Sunpo(const TEntSunpo& record, std::int32_t version)
{
    Attr(record.Attr, version);
    Sen(record.Line, version);
    Moji(record.Moji, version);
    if (version < kVersionSunpoExtension)
        return;
    U16(record.W);
    Sen(record.Line2, version);
    Sen(record.Line3, version);
    for (const TEntTen& point : record.Points)
        Ten(point, version);
}

void ArchiveWriter::Solid(const TEntSolid& record, std::int32_t version)
{
    Attr(record.Attr, version);
    Doubles(record.D);
    if (record.Attr.AttrC == kSolidExtraMark)
        I32(record.Extra);
}

void ArchiveWriter::Block(const TEntBlock& record, std::int32_t version)
{
    Attr(record.Attr, version);
    Doubles(record.D);
    I32(record.I);
}

// --- Lists -------------------------------------------------------------------------

EntityKind KindOf(const Entity& entity) { return static_cast<EntityKind>(entity.index() + 1); }

EntityList& EntityList::Add(Entity record, TagForm tag)
{
    Items.emplace_back(EntityItem{std::move(record), tag});
    return *this;
}

EntityList& EntityList::AddUnknownClass(std::string className)
{
    Items.emplace_back(UnknownClassItem{std::move(className)});
    return *this;
}

EntityList& EntityList::AddRaw(std::string bytes, std::int32_t counterAdvance)
{
    Items.emplace_back(RawItem{std::move(bytes), counterAdvance});
    return *this;
}

std::int32_t EntityList::EntityCount() const
{
    std::int32_t count = 0;
    for (const ListItem& item : Items)
        count += std::holds_alternative<EntityItem>(item) ? 1 : 0;
    return count;
}

void ClassNumbering::Reference(ArchiveWriter& out, std::int32_t index, TagForm form)
{
    const bool fitsShort = index > 0 && index < 0x7FFF;
    if (form == TagForm::LongRef || (form == TagForm::Auto && !fitsShort)) {
        out.LongReference(static_cast<std::uint32_t>(index));
        return;
    }
    if (!fitsShort)
        throw std::logic_error("short class reference out of range");
    out.ShortReference(static_cast<std::uint16_t>(index));
}

void ClassNumbering::EntityTag(ArchiveWriter& out, EntityKind kind, TagForm form)
{
    std::int32_t& index = classIndex_[kind];
    if (form == TagForm::NewClass || (form == TagForm::Auto && index == 0)) {
        out.NewClassTag(kClassNames[kind]);
        index = counter_++;
        return;
    }
    if (index == 0)
        throw std::logic_error("class referenced before it was defined");
    Reference(out, index, form);
}

void ClassNumbering::UnknownClass(ArchiveWriter& out, std::string_view className)
{
    out.NewClassTag(className);
    ++counter_;
}

void ClassNumbering::BlockDefTag(ArchiveWriter& out, std::string_view className, TagForm form)
{
    if (form == TagForm::NewClass || (form == TagForm::Auto && blockDefClassIndex_ == 0)) {
        out.NewClassTag(className);
        blockDefClassIndex_ = counter_++;
        return;
    }
    if (blockDefClassIndex_ == 0)
        throw std::logic_error("block definition class referenced before it was defined");
    Reference(out, blockDefClassIndex_, form);
}

namespace {

void WriteEntityItems(ArchiveWriter& out, ClassNumbering& numbering, const EntityList& list, std::int32_t version)
{
    for (const ListItem& item : list.Items) {
        if (const auto* entity = std::get_if<EntityItem>(&item)) {
            numbering.EntityTag(out, KindOf(entity->Record), entity->Tag);
            WriteEntity(out, entity->Record, version);
            numbering.ObjectWritten();
        } else if (const auto* unknown = std::get_if<UnknownClassItem>(&item)) {
            numbering.UnknownClass(out, unknown->ClassName);
        } else {
            const auto& raw = std::get<RawItem>(item);
            out.Bytes(raw.Bytes);
            numbering.Advance(raw.CounterAdvance);
        }
    }
}

void WriteListCount(ArchiveWriter& out, const EntityList& list)
{
    WriteCount(out, list.DeclaredCount.value_or(list.EntityCount()), list.EscapeCount);
}

}  // namespace

void WriteEntityList(ArchiveWriter& out, ClassNumbering& numbering, const EntityList& list, std::int32_t version)
{
    WriteListCount(out, list);
    WriteEntityItems(out, numbering, list, version);
}

void WriteBlockDefList(ArchiveWriter& out, ClassNumbering& numbering, const BlockDefList& list, std::int32_t version)
{
    WriteCount(out, list.DeclaredCount.value_or(static_cast<std::int32_t>(list.Defs.size())), list.EscapeCount);
    for (const BlockDefItem& def : list.Defs) {
        numbering.BlockDefTag(out, list.ClassName, def.Tag);
        out.Attr(def.Attr, version);
        out.I32(def.Value1);
        out.I32(def.Value2);
        out.U32(def.Value3);
        if (def.Value3 & 0x80000000u)
            out.Fixed(def.Extra, 8);
        out.LpString(def.Name);
        WriteListCount(out, def.Entities);
        numbering.ObjectWritten();  // the definition's own index comes before its entities
        WriteEntityItems(out, numbering, def.Entities, version);
    }
}

// --- Drawing files ---------------------------------------------------------------

TLayerGroup& ZvwDocument::Group(std::size_t group) { return GrowTo(LayerGroups, group); }

TLayer& ZvwDocument::Layer(std::size_t group, std::size_t layer)
{
    return GrowTo(Layers, group * kZvwLayersPerGroup + layer);
}

TColorExNo& ZvwDocument::Color(std::size_t index) { return GrowTo(Colors, index); }

TLineTypeExNo& ZvwDocument::LineType(std::size_t index) { return GrowTo(LineTypes, index); }

void WriteZvwHeader(ArchiveWriter& out, const ZvwDocument& doc)
{
    const TZvwHeader& h = doc.Header;
    const std::int32_t v = doc.Version;

    out.Fixed(doc.Magic, 8);
    out.I32(v);
    if (v < kZvwOldestVersion)
        return;  // nothing after the version is ever read
    out.LpString(h.Memo);
    out.I32(h.Value4);
    out.I32(h.Value5);
    for (std::size_t g = 0; g < kZvwLayerGroupCount; ++g) {
        const TLayerGroup& group = EntryOrEmpty(doc.LayerGroups, g);
        out.I32(group.V1);
        out.I32(group.V2);
        out.Double(group.D);
        out.I32(group.V3);
        for (std::size_t l = 0; l < kZvwLayersPerGroup; ++l) {
            const TLayer& layer = EntryOrEmpty(doc.Layers, g * kZvwLayersPerGroup + l);
            out.I32(layer.V1);
            out.I32(layer.V2);
        }
    }
    out.I32s(h.Block7);
    out.I32s(h.Block8);
    out.Doubles(h.Block9D1);
    out.I32s(h.Block9I);
    out.Doubles(h.Block9D2);
    for (std::size_t i = 0; i < kZvwLayerCount; ++i)
        out.LpString(EntryOrEmpty(doc.Layers, i).Name);
    for (std::size_t g = 0; g < kZvwLayerGroupCount; ++g)
        out.LpString(EntryOrEmpty(doc.LayerGroups, g).Name);

    // 28 bytes up to version 230, 44 after.
    out.Doubles(h.Block12D1);
    out.I32(h.Block12I);
    out.Double(h.Block12D2);
    if (v > 230)
        out.Doubles(h.Block12D3);

    out.I32(h.Block13I);
    out.Doubles(h.Block13D);

    // 96 bytes up to version 230, 280 after.
    const std::size_t entries14 = v > 230 ? 8 : 4;
    for (std::size_t i = 0; i < entries14; ++i) {
        out.Double(h.Block14A[i]);
        out.Double(h.Block14B[i]);
        out.Double(h.Block14C[i]);
        if (v > 230)
            out.I32(h.Block14I[i]);
    }
    if (v > 230) {
        out.Doubles(h.Block14TailD1);
        out.I32(h.Block14TailI1);
        out.Doubles(h.Block14TailD2);
        out.I32(h.Block14TailI2);
    }

    out.Doubles(h.Block15D);
    out.Double(h.Block15E);
    for (std::size_t i = 0; i < kZvwTable10Count; ++i) {
        const TZvwTable10Entry& e = EntryOrEmpty(doc.Table10, i);
        out.I32(e.V[0]);
        out.I32(e.V[1]);
    }
    for (std::size_t i = 0; i < kZvwTable10Count; ++i) {
        const TZvwTable10Entry& e = EntryOrEmpty(doc.Table10, i);
        out.I32(e.V[2]);
        out.I32(e.V[3]);
        out.Double(e.D);
    }
    for (std::size_t i = 0; i < kZvwTable8Count; ++i)
        out.I32s(EntryOrEmpty(doc.Table8, i));
    for (std::size_t i = 0; i < kZvwTable5Count; ++i)
        out.I32s(EntryOrEmpty(doc.Table5, i));
    for (std::size_t i = 0; i < kZvwTable4Count; ++i)
        out.I32s(EntryOrEmpty(doc.Table4, i));

    // 44 bytes at 220, 104 at 223, 136 at 225, 144 from 230, else nothing.
    const bool has19 = v == 220 || v == 223 || v == 225 || v >= 230;
    if (has19)
        out.I32s(h.Block19I);
    if (v == 223 || v == 225 || v >= 230) {
        out.I32s(h.Block19I2);
        out.Doubles(h.Block19D);
    }
    if (v == 225 || v >= 230)
        out.Doubles(h.Block19D2);
    if (v >= 230)
        out.I32s(h.Block19I3);

    if (v >= kZvwVersionExtendedTables) {
        for (std::size_t c = 0; c < kZvwColorCount; ++c) {
            const TColorExNo& color = EntryOrEmpty(doc.Colors, c);
            out.I32(color.V1);
            out.I32(color.V2);
        }
        for (std::size_t c = 0; c < kZvwColorCount; ++c) {
            const TColorExNo& color = EntryOrEmpty(doc.Colors, c);
            out.LpString(color.Name);
            out.I32(color.V3);
            out.I32(color.V4);
            out.Double(color.D);
        }
        for (std::size_t t = 0; t < kZvwLineTypeCount; ++t)
            out.I32s(EntryOrEmpty(doc.LineTypes, t).V);
        for (std::size_t t = 0; t < kZvwLineTypeCount; ++t) {
            const TLineTypeExNo& lineType = EntryOrEmpty(doc.LineTypes, t);
            out.LpString(lineType.Name);
            out.I32(lineType.V5);
            out.Doubles(lineType.D);
        }
    }

    for (std::size_t i = 0; i < kZvwLastTableCount; ++i) {
        const TZvwLastTableEntry& e = EntryOrEmpty(doc.LastTable, i);
        out.Doubles(e.D);
        out.I32(e.V);
    }

    out.Doubles(h.Block22D1);
    out.I32s(h.Block22I1);
    out.Doubles(h.Block22D2);
    out.I32(h.Block22I2);
    out.Doubles(h.Block22D3);
}

std::string WriteZvw(const ZvwDocument& doc)
{
    ArchiveWriter out;
    out.EscapeEveryString(doc.EscapeStrings);
    WriteZvwHeader(out, doc);
    if (doc.Version >= kZvwOldestVersion) {
        ClassNumbering numbering;
        WriteEntityList(out, numbering, doc.Entities, doc.Version);
        WriteBlockDefList(out, numbering, doc.BlockDefs, doc.Version);
        if (doc.Version >= 700 && doc.EmbeddedSection) {
            out.I32(static_cast<std::int32_t>(doc.EmbeddedFiles.size()));
            for (const EmbeddedFile& file : doc.EmbeddedFiles) {
                out.LpString(file.Name);
                out.I32(static_cast<std::int32_t>(file.Data.size()));
                out.Bytes(file.Data);
            }
        }
    }
    out.Bytes(doc.Trailer);
    return out.Take();
}

// --- Symbol files ----------------------------------------------------------------

void WriteZvsHeader(ArchiveWriter& out, const ZvsDocument& doc)
{
    out.Fixed(doc.Magic, 7);
    out.Fixed(doc.Filler, 193);
    out.I32(doc.Version);
    out.Doubles(doc.Reals1);
    out.Doubles(doc.GroupDoubles);
    out.I32s(doc.Ints);
    out.Doubles(doc.Reals3);
}

std::string WriteZvs(const ZvsDocument& doc)
{
    ArchiveWriter out;
    out.EscapeEveryString(doc.EscapeStrings);
    WriteZvsHeader(out, doc);
    ClassNumbering numbering;
    WriteEntityList(out, numbering, doc.Entities, doc.Version);
    WriteBlockDefList(out, numbering, doc.BlockDefs, doc.Version);
    out.Bytes(doc.Trailer);
    return out.Take();
}

// --- What a reader keeps -------------------------------------------------------------

Entity StoredRecord(const Entity& entity, std::int32_t version)
{
    return std::visit(
        [&](const auto& record) -> Entity {
            using T = std::decay_t<decltype(record)>;
            T stored = record;
            stored.Attr = StoredAttr(stored.Attr, version);
            if constexpr (std::is_same_v<T, TEntTen>) {
                return StoredTen(stored, version);
            } else if constexpr (std::is_same_v<T, TEntSolid>) {
                if (stored.Attr.AttrC != kSolidExtraMark)
                    stored.Extra = 0;
            } else if constexpr (std::is_same_v<T, TEntMoji>) {
                return StoredMoji(stored, version);
            } else if constexpr (std::is_same_v<T, TEntSunpo>) {
                stored.Line = StoredSen(stored.Line, version);
                stored.Moji = StoredMoji(stored.Moji, version);
                if (version >= kVersionSunpoExtension) {
                    stored.Line2 = StoredSen(stored.Line2, version);
                    stored.Line3 = StoredSen(stored.Line3, version);
                    for (TEntTen& point : stored.Points)
                        point = StoredTen(point, version);
                } else {
                    stored.W = 0;
                    stored.Line2 = TEntSen{stored.Attr, {}};
                    stored.Line3 = TEntSen{stored.Attr, {}};
                    for (TEntTen& point : stored.Points) {
                        point = TEntTen{};
                        point.Attr = stored.Attr;
                        point.Attr.AttrB = 0;
                    }
                }
            }
            return stored;
        },
        entity);
}

TEntityTables StoredTables(const EntityList& list, std::int32_t version)
{
    TEntityTables tables;
    for (const ListItem& item : list.Items) {
        const auto* entity = std::get_if<EntityItem>(&item);
        if (entity == nullptr)
            continue;
        const Entity stored = StoredRecord(entity->Record, version);
        switch (KindOf(stored)) {
        case kKindSen: AppendTo(tables.Sen, stored, tables.Order, kKindSen); break;
        case kKindEnko: AppendTo(tables.Enko, stored, tables.Order, kKindEnko); break;
        case kKindTen: AppendTo(tables.Ten, stored, tables.Order, kKindTen); break;
        case kKindMoji: AppendTo(tables.Moji, stored, tables.Order, kKindMoji); break;
        case kKindSunpou: AppendTo(tables.Sunpo, stored, tables.Order, kKindSunpou); break;
        case kKindSolid: AppendTo(tables.Solid, stored, tables.Order, kKindSolid); break;
        case kKindBlock: AppendTo(tables.Block, stored, tables.Order, kKindBlock); break;
        case kKindNone: break;
        }
    }
    return tables;
}

// --- Shortcuts -----------------------------------------------------------------------

std::string_view KeptText(std::string_view text)
{
    static std::mutex lock;
    static StringPool kept;
    const std::lock_guard guard(lock);
    return kept.Keep(text).value();
}

TEntMoji MakeMoji(std::string_view text, std::string_view firstString)
{
    TEntMoji moji;
    moji.FirstString = KeptText(firstString);
    moji.Text = KeptText(text);
    return moji;
}

TEntSunpo MakeSunpo(std::string text)
{
    TEntSunpo dim;
    dim.Moji = MakeMoji(std::move(text));
    return dim;
}

TEntSen MakeSen(double x1, double y1, double x2, double y2)
{
    TEntSen line;
    line.D = {x1, y1, x2, y2};
    return line;
}

BlockDefItem MakeBlockDef(std::string name, EntityList entities)
{
    BlockDefItem def;
    def.Name = std::move(name);
    def.Entities = std::move(entities);
    return def;
}

}  // namespace vaveze::winwriter
