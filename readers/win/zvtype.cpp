#include "readers/win/zvtype.h"

#include <utility>

namespace vaveze {
namespace {

constexpr std::uint8_t kLongStringMark = 255;
constexpr std::uint16_t kLongCountMark = 0xFFFF;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kLongReferenceTag = 0x7FFF;
constexpr std::int32_t kShortReferenceBase = 0x8000;
constexpr std::uint32_t kLongReferenceFlag = 0x80000000u;
constexpr std::uint32_t kBlockDefExtraFlag = 0x80000000u;
constexpr std::size_t kBlockDefExtraBytes = 8;

// The counter only ever counts up; it wraps rather than overflow on files
// of absurd size.
void CountObject(TClassTagDecoder& decoder)
{
    decoder.ObjectCounter = static_cast<std::int32_t>(static_cast<std::uint32_t>(decoder.ObjectCounter) + 1u);
}

template <std::size_t N>
void ReadDoubles(InputStream& in, std::array<double, N>& out)
{
    for (double& d : out)
        d = in.readDouble();
}

// A new-class tag: schema number, then the class name through the reader's
// name buffer.
std::string_view ReadClassName(InputStream& in, std::size_t nameBufferSize)
{
    in.skip(2);  // class schema number
    const std::uint16_t length = in.readU16();
    if (length > nameBufferSize)
        throw InputError("class name longer than the read buffer");
    return in.readBytes(length);
}

// Dimensions of files before version 420 carry no lines and points of
// their own; they take the dimension's attributes and zero numbers.
void CompleteOldSunpo(TEntSunpo& dim)
{
    CopyAttr(dim.Attr, dim.Line2.Attr);
    CopyAttr(dim.Attr, dim.Line3.Attr);
    for (TEntTen& point : dim.Points) {
        CopyAttr(dim.Attr, point.Attr);
        point.Attr.AttrB = 0;
    }
}

// Appends a zero-filled entry before the record is read, so that a record
// cut off by the end of the file still leaves its (empty) entry.
template <typename Record, typename Reader>
std::int32_t AppendRecord(std::vector<Record>& table, Reader&& read)
{
    table.emplace_back();
    table.back() = read();
    return static_cast<std::int32_t>(table.size() - 1);
}

std::int32_t ReadEntityRecord(InputStream& in, std::int32_t version, EntityKind kind, TEntityTables& tables)
{
    switch (kind) {
    case kKindSen:
        return AppendRecord(tables.Sen, [&] { return ReadSen(in, version); });
    case kKindEnko:
        return AppendRecord(tables.Enko, [&] { return ReadEnko(in, version); });
    case kKindTen:
        return AppendRecord(tables.Ten, [&] { return ReadTen(in, version); });
    case kKindMoji:
        tables.Moji.emplace_back();
        ReadMojiInto(in, version, tables.Moji.back());
        return static_cast<std::int32_t>(tables.Moji.size() - 1);
    case kKindSunpou:
        return AppendRecord(tables.Sunpo, [&] { return ReadSunpo(in, version); });
    case kKindSolid:
        return AppendRecord(tables.Solid, [&] { return ReadSolid(in, version); });
    case kKindBlock:
        return AppendRecord(tables.Block, [&] { return ReadBlock(in, version); });
    case kKindNone:
        break;
    }
    return -1;
}

void ReadOneBlockDefinition(InputStream& in, const TArchiveFormat& format, TClassTagDecoder& decoder,
                            std::int32_t position, TBlockDefTable& table)
{
    ReadBlockDefTag(in, decoder, format.NameBufferSize);

    TEntBlockDef scratch;
    scratch.Attr = ReadAttr(in, format.FileVersion);
    scratch.Value1 = in.readI32();
    scratch.Value2 = in.readI32();
    const std::uint32_t third = in.readU32();
    scratch.Value3 = static_cast<std::int32_t>(third);
    if (third >= kBlockDefExtraFlag) {
        in.skip(kBlockDefExtraBytes);
        scratch.Value3 = position;
    }

    table.Defs.push_back(std::move(scratch));
    TEntBlockDef& def = table.Defs.back();
    def.Name = ReadLpString(in);
    def.EntityCount = ReadObjectCount(in);
    SizeOrderList(def.Entities, def.EntityCount, format.FileSize);
    CountObject(decoder);  // the definition itself takes the next object index
    ReadEntities(in, format, decoder, def.EntityCount, def.Entities);
}

}  // namespace

std::string ReadLpString(InputStream& in)
{
    const std::uint8_t shortLength = in.readU8();
    if (shortLength != kLongStringMark)
        return std::string(in.readBytes(shortLength));
    // Low byte first; the writer stores whole 256-byte chunks and a
    // remainder, which amounts to one run of H * 256 + L bytes.
    const std::uint8_t low = in.readU8();
    const std::uint8_t high = in.readU8();
    const std::size_t length = static_cast<std::size_t>(high) * 256 + low;
    return std::string(in.readBytes(length));
}

TEntAttr ReadAttr(InputStream& in, std::int32_t fileVersion)
{
    TEntAttr attr;
    attr.AttrA = in.readU32();
    attr.AttrB = in.readU8();
    attr.AttrC = in.readU16();
    if (fileVersion >= kVersionAttrD)
        attr.AttrD = in.readU16();
    attr.AttrE = in.readU16();
    attr.AttrF = in.readU16();
    attr.AttrG = in.readU16();
    return attr;
}

void CopyAttr(const TEntAttr& source, TEntAttr& destination)
{
    destination.AttrA = source.AttrA;
    destination.AttrB = source.AttrB;
    destination.AttrC = source.AttrC;
    destination.AttrD = source.AttrD;
    destination.AttrE = source.AttrE;
    destination.AttrF = source.AttrF;
    destination.AttrG = source.AttrG;
}

std::int32_t ReadObjectCount(InputStream& in)
{
    const std::uint16_t shortCount = in.readU16();
    if (shortCount != kLongCountMark)
        return shortCount;
    return in.readI32();
}

std::size_t CheckedTableSize(std::int32_t count, std::size_t fileSize)
{
    if (count < 0)
        throw InputError("negative count");
    const auto size = static_cast<std::size_t>(count);
    if (size > fileSize)
        throw InputError("count larger than the file");
    return size;
}

EntityKind ClassKindOfName(std::string_view name)
{
    for (std::int32_t kind = 1; kind <= kEntityKindCount; ++kind) {
        if (name == kClassNames[static_cast<std::size_t>(kind)])
            return static_cast<EntityKind>(kind);
    }
    return kKindNone;
}

EntityKind ReadClassTag(InputStream& in, TClassTagDecoder& decoder, std::size_t nameBufferSize)
{
    const std::uint16_t tag = in.readU16();

    if (tag == kNewClassTag) {
        const EntityKind kind = ClassKindOfName(ReadClassName(in, nameBufferSize));
        if (kind != kKindNone)
            decoder.Slots[static_cast<std::size_t>(kind)] = decoder.ObjectCounter;
        CountObject(decoder);  // the class takes an index even when unknown
        return kind;
    }

    std::int32_t reference;
    if (tag == kLongReferenceTag)
        reference = static_cast<std::int32_t>(in.readU32() & ~kLongReferenceFlag);
    else
        reference = static_cast<std::int32_t>(tag) - kShortReferenceBase;

    // Every matching slot overrides the previous one: the highest kind wins.
    EntityKind kind = kKindNone;
    for (std::int32_t k = 1; k <= kEntityKindCount; ++k) {
        if (decoder.Slots[static_cast<std::size_t>(k)] == reference)
            kind = static_cast<EntityKind>(k);
    }
    return kind;
}

void ReadBlockDefTag(InputStream& in, TClassTagDecoder& decoder, std::size_t nameBufferSize)
{
    const std::uint16_t tag = in.readU16();
    if (tag == kNewClassTag) {
        (void)ReadClassName(in, nameBufferSize);
        CountObject(decoder);
    } else if (tag == kLongReferenceTag) {
        in.skip(4);
    }
}

TEntSen ReadSen(InputStream& in, std::int32_t fileVersion)
{
    TEntSen line;
    line.Attr = ReadAttr(in, fileVersion);
    ReadDoubles(in, line.D);
    return line;
}

TEntEnko ReadEnko(InputStream& in, std::int32_t fileVersion)
{
    TEntEnko arc;
    arc.Attr = ReadAttr(in, fileVersion);
    ReadDoubles(in, arc.D);
    arc.I = in.readI32();
    return arc;
}

TEntTen ReadTen(InputStream& in, std::int32_t fileVersion)
{
    TEntTen point;
    point.Attr = ReadAttr(in, fileVersion);
    ReadDoubles(in, point.D);
    point.I = in.readI32();
    if (point.Attr.AttrB == kPointExtensionMark) {
        point.ExtI = in.readI32();
        ReadDoubles(in, point.ExtD);
    }
    return point;
}

TEntSolid ReadSolid(InputStream& in, std::int32_t fileVersion)
{
    TEntSolid solid;
    solid.Attr = ReadAttr(in, fileVersion);
    ReadDoubles(in, solid.D);
    if (solid.Attr.AttrC == kSolidExtraMark)
        solid.Extra = in.readI32();
    return solid;
}

TEntBlock ReadBlock(InputStream& in, std::int32_t fileVersion)
{
    TEntBlock insertion;
    insertion.Attr = ReadAttr(in, fileVersion);
    ReadDoubles(in, insertion.D);
    insertion.I = in.readI32();
    return insertion;
}

void ReadMojiInto(InputStream& in, std::int32_t fileVersion, TEntMoji& entry)
{
    TEntMoji numbers;
    numbers.Attr = ReadAttr(in, fileVersion);
    ReadDoubles(in, numbers.D1);
    numbers.I = in.readI32();
    ReadDoubles(in, numbers.D2);
    entry = std::move(numbers);
    entry.FirstString = ReadLpString(in);
    entry.Text = ReadLpString(in);
}

TEntSunpo ReadSunpo(InputStream& in, std::int32_t fileVersion)
{
    TEntSunpo dim;
    dim.Attr = ReadAttr(in, fileVersion);
    dim.Line = ReadSen(in, fileVersion);
    ReadMojiInto(in, fileVersion, dim.Moji);
    if (fileVersion < kVersionSunpoExtension) {
        CompleteOldSunpo(dim);
        return dim;
    }
    dim.W = in.readU16();
    dim.Line2 = ReadSen(in, fileVersion);
    dim.Line3 = ReadSen(in, fileVersion);
    for (TEntTen& point : dim.Points)
        point = ReadTen(in, fileVersion);
    return dim;
}

void SizeOrderList(TEntityTables& tables, std::int32_t count, std::size_t fileSize)
{
    tables.Order.assign(CheckedTableSize(count, fileSize), TOrderEntry{});
}

void ReadEntities(InputStream& in, const TArchiveFormat& format, TClassTagDecoder& decoder, std::int32_t count,
                  TEntityTables& tables)
{
    std::int32_t read = 0;
    while (read < count) {
        const EntityKind kind = ReadClassTag(in, decoder, format.NameBufferSize);
        if (kind == kKindNone)
            continue;  // nothing is known of the object's size: its bytes are read as the next tag
        const std::int32_t index = ReadEntityRecord(in, format.FileVersion, kind, tables);
        const auto slot = static_cast<std::size_t>(read);
        if (slot < tables.Order.size())
            tables.Order[slot] = TOrderEntry{kind, index};
        ++read;
        CountObject(decoder);
    }
}

void ReadBlockDefinitions(InputStream& in, const TArchiveFormat& format, TClassTagDecoder& decoder,
                          TBlockDefTable& table)
{
    table.Count = 0;
    table.TableSize = 0;
    table.Defs.clear();

    const std::int32_t count = ReadObjectCount(in);
    if (count == 0)
        return;
    table.Count = count;
    // The entries themselves are made as each definition is started, so a
    // table that is declared large but cut short costs nothing.
    table.TableSize = static_cast<std::int32_t>(CheckedTableSize(count, format.FileSize));

    for (std::int32_t position = 1; position <= count; ++position)
        ReadOneBlockDefinition(in, format, decoder, position, table);
}

}  // namespace vaveze
