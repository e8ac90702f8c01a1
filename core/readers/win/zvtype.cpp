#include "core/readers/win/zvtype.h"

#include <algorithm>
#include <optional>
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
constexpr std::size_t kAttrBytes = 13;
constexpr std::size_t kAttrDBytes = 2;  // AttrD, from version 351

// The counter only ever counts up; it wraps rather than overflow on files
// of absurd size.
void CountObject(TClassTagDecoder& decoder)
{
    decoder.ObjectCounter = static_cast<std::int32_t>(static_cast<std::uint32_t>(decoder.ObjectCounter) + 1u);
}

template <std::size_t N>
void ReadDoubles(FieldBlock& in, std::array<double, N>& out)
{
    for (double& d : out)
        d = in.readDouble();
}

// A length-prefixed string kept in `strings`; a pool that cannot grow stops
// the parse (OutOfMemory) and gives an empty string.
[[gnu::always_inline]] inline std::string_view ReadKeptString(InputStream& in, StringPool& strings)
{
    const std::optional<std::string_view> kept = strings.Keep(ReadLpStringBytes(in));
    if (!kept) [[unlikely]] {
        in.fail(StopReason::OutOfMemory);
        return {};
    }
    return *kept;
}

// A new-class tag: schema number, then the class name through the reader's
// name buffer.
std::string_view ReadClassName(InputStream& in, std::size_t nameBufferSize)
{
    in.skip(2);  // class schema number
    const std::size_t lengthAt = in.tell();
    const std::uint16_t length = in.readU16();
    if (length > nameBufferSize) {
        in.fail(StopReason::ImpossibleSize, lengthAt);  // longer than the read buffer
        return {};
    }
    return in.readBytes(length);
}

// Bytes of the common attribute block in a file of the given version.
constexpr std::size_t AttrBytes(std::int32_t fileVersion)
{
    return fileVersion >= kVersionAttrD ? kAttrBytes + kAttrDBytes : kAttrBytes;
}

// Bytes of the fixed-size runs of text and dimension records.
constexpr std::size_t MojiNumberBytes(std::int32_t fileVersion) { return AttrBytes(fileVersion) + 4 * 8 + 4 + 4 * 8; }
constexpr std::size_t SunpoHeadBytes(std::int32_t fileVersion) { return 2 * AttrBytes(fileVersion) + 4 * 8; }
constexpr std::size_t SunpoLinesBytes(std::int32_t fileVersion) { return 2 + 2 * (AttrBytes(fileVersion) + 4 * 8); }

TEntAttr DecodeAttr(FieldBlock& block, std::int32_t fileVersion)
{
    TEntAttr attr;
    attr.AttrA = block.readU32();
    attr.AttrB = block.readU8();
    attr.AttrC = block.readU16();
    if (fileVersion >= kVersionAttrD)
        attr.AttrD = block.readU16();
    attr.AttrE = block.readU16();
    attr.AttrF = block.readU16();
    attr.AttrG = block.readU16();
    return attr;
}

TEntSen DecodeSen(FieldBlock& block, std::int32_t fileVersion)
{
    TEntSen line;
    line.Attr = DecodeAttr(block, fileVersion);
    ReadDoubles(block, line.D);
    return line;
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

// Fewest bytes a record of each kind (tag included) takes in any file: the
// rest of a file cannot hold more records of a kind than this allows.
constexpr std::size_t kTagBytes = 2;
constexpr std::size_t kMojiBytes = kAttrBytes + 4 * 8 + 4 + 4 * 8 + 1 + 1;
constexpr std::array<std::size_t, 8> kFewestRecordBytes = {
    1,
    kTagBytes + kAttrBytes + 4 * 8,                                   // line
    kTagBytes + kAttrBytes + 7 * 8 + 4,                               // arc
    kTagBytes + kAttrBytes + 2 * 8 + 4,                               // point
    kTagBytes + kMojiBytes,                                           // text
    kTagBytes + kAttrBytes + (kAttrBytes + 4 * 8) + kMojiBytes,       // dimension
    kTagBytes + kAttrBytes + 8 * 8,                                   // solid
    kTagBytes + kAttrBytes + 5 * 8 + 4,                               // insertion
};

// What each kind's record is called in the reason of an early end.
constexpr std::array<std::string_view, 8> kRecordNames = {
    "entity list",   "line record",  "arc record",   "point record",
    "text record",   "dimension record", "solid record", "block insertion record",
};

// Entities read before the mix of kinds in a list is taken as known. The
// fuzz build's inputs hold a few dozen entities, so there it comes after
// very few.
#ifdef VAVEZE_SMALL_PAGE_PIECES
constexpr std::int32_t kProjectionSample = 4;
#else
constexpr std::int32_t kProjectionSample = 1024;
#endif

// Where a list's reading stands, for sizing its tables.
struct ListProgress {
    std::int32_t Read;      // entities read so far
    std::int32_t Declared;  // the list's declared count
    std::size_t BytesLeft;  // bytes of the file not yet read
};

// Out of line: a table grows a few dozen times for a million records.
template <typename Record>
[[gnu::noinline]] bool GrowForOne(Table<Record>& table, EntityKind kind, const ListProgress& progress)
{
    const std::size_t size = table.size();
    // In 64 bits: size * declared can pass a 32-bit size_t. The room finally
    // asked for is at most `most`, which the file's size bounds.
    const std::uint64_t size64 = size;
    std::uint64_t target = size == 0 ? 1 : 2 * size64;
    const auto read = static_cast<std::uint64_t>(progress.Read);
    const auto declared = static_cast<std::uint64_t>(progress.Declared);
    if (progress.Read >= kProjectionSample && declared > read) {
        const std::uint64_t projected = size64 * declared / read + size64 / 8;
        target = std::max(target, projected);
    }
    const std::uint64_t fits = progress.BytesLeft / kFewestRecordBytes[static_cast<std::size_t>(kind)];
    const std::uint64_t most = size64 + std::max<std::uint64_t>(1, std::min(declared > read ? declared - read : 1, fits));
    // Where a large piece takes memory only as it is written, the table is
    // given all the room the rest of the list and of the file could fill:
    // unwritten room costs nothing, and the table is never copied to grow.
    const bool whole = LargePiecesTakeMemoryWhenWritten() && most * sizeof(Record) >= kLargePieceBytes;
    for (const std::uint64_t room : {whole ? most : 0, std::min(target, most)}) {
        if (room != 0 && room <= table.max_size() && TryReserve(table, static_cast<std::size_t>(room)))
            return true;
    }
    return TryRoomForOne(table);
}

// Makes room for one more record; false when none can be had. Large lists
// hold hundreds of thousands of records: growing by doubling copies every
// table several times and touches twice the memory it keeps. Once a list has
// shown its mix of kinds, a table that must grow is given this kind's share
// of the whole declared list at once (with some slack), or doubled if that
// is more; but never more room than the rest of the list and of the file
// could fill. Room that cannot be had is left to plain doubling.
template <typename Record>
[[nodiscard]] bool MakeRoomForOne(Table<Record>& table, EntityKind kind, const ListProgress& progress)
{
    const std::size_t size = table.size();
    if (size < table.capacity()) [[likely]]
        return true;
    return GrowForOne(table, kind, progress);
}

// Appends the record read, or a zero-filled entry when the end of the file
// cuts the record off: it still leaves its (empty) entry. A table that
// cannot grow stops the parse after the record.
template <typename Record, typename Reader>
std::int32_t AppendRecord(InputStream& in, Table<Record>& table, EntityKind kind, const ListProgress& progress,
                          Reader&& read)
{
    if (!MakeRoomForOne(table, kind, progress)) [[unlikely]] {
        (void)read();  // an append reads the record before its table fails to grow
        in.fail(StopReason::OutOfMemory);
        return -1;
    }
    table.push_back(read());
    if (in.failed())
        table.back() = Record{};
    return static_cast<std::int32_t>(table.size() - 1);
}

// Makes room for a record read into its table's entry; a table that cannot
// grow stops the parse before it.
template <typename Record>
[[nodiscard]] bool RoomForEntry(InputStream& in, Table<Record>& table, EntityKind kind, const ListProgress& progress)
{
    if (MakeRoomForOne(table, kind, progress))
        return true;
    in.fail(StopReason::OutOfMemory);
    return false;
}

std::int32_t ReadEntityRecord(InputStream& in, std::int32_t version, EntityKind kind, const ListProgress& progress,
                              StringPool& strings, TEntityTables& tables)
{
    in.mark(kRecordNames[static_cast<std::size_t>(kind)]);
    switch (kind) {
    case kKindSen:
        return AppendRecord(in, tables.Sen, kind, progress, [&] { return ReadSen(in, version); });
    case kKindEnko:
        return AppendRecord(in, tables.Enko, kind, progress, [&] { return ReadEnko(in, version); });
    case kKindTen:
        return AppendRecord(in, tables.Ten, kind, progress, [&] { return ReadTen(in, version); });
    case kKindMoji:
        if (!RoomForEntry(in, tables.Moji, kind, progress))
            return -1;
        ReadMojiInto(in, version, strings, tables.Moji.emplace_back());
        return static_cast<std::int32_t>(tables.Moji.size() - 1);
    case kKindSunpou:
        if (!RoomForEntry(in, tables.Sunpo, kind, progress))
            return -1;
        ReadSunpoInto(in, version, strings, tables.Sunpo.emplace_back());
        return static_cast<std::int32_t>(tables.Sunpo.size() - 1);
    case kKindSolid:
        return AppendRecord(in, tables.Solid, kind, progress, [&] { return ReadSolid(in, version); });
    case kKindBlock:
        return AppendRecord(in, tables.Block, kind, progress, [&] { return ReadBlock(in, version); });
    case kKindNone:
        break;
    }
    return -1;
}

// The text of a text record; the numbers and the first string are passed over.
std::string_view ReadMojiText(InputStream& in, std::int32_t version, StringPool& strings)
{
    in.skip(MojiNumberBytes(version));
    (void)ReadLpStringBytes(in);
    return ReadKeptString(in, strings);
}

// The text of a dimension, once the whole record is read: a dimension cut off
// anywhere has no text, as its entry in the tables would have none.
std::string_view ReadSunpoText(InputStream& in, std::int32_t version, StringPool& strings)
{
    in.skip(SunpoHeadBytes(version));
    const std::string_view text = ReadMojiText(in, version, strings);
    if (version >= kVersionSunpoExtension) {
        in.skip(SunpoLinesBytes(version));
        for (int point = 0; point < 4; ++point)
            (void)ReadTen(in, version);  // a point's length depends on its attributes
    }
    return text;
}

// Adds a text read whole to the list's texts; a table that cannot grow
// stops the parse after the record. Inlined: it runs once per text, and on
// its own it would save and restore registers for its rare growth.
[[gnu::always_inline]] inline void AppendText(InputStream& in, Table<std::string_view>& texts, std::string_view text,
                                              EntityKind kind, const ListProgress& progress)
{
    if (in.failed())
        return;  // cut off: the record leaves nothing
    if (!MakeRoomForOne(texts, kind, progress)) {
        in.fail(StopReason::OutOfMemory);
        return;
    }
    texts.push_back(text);
}

// Reads one record where the parse keeps the texts alone: a text or a
// dimension adds its text to the list's texts, any other record is read and
// dropped.
void ReadEntityText(InputStream& in, std::int32_t version, EntityKind kind, const ListProgress& progress,
                    StringPool& strings, TEntityTexts& texts)
{
    in.mark(kRecordNames[static_cast<std::size_t>(kind)]);
    switch (kind) {
    case kKindMoji:
        AppendText(in, texts.Texts, ReadMojiText(in, version, strings), kind, progress);
        return;
    case kKindSunpou:
        AppendText(in, texts.DimensionTexts, ReadSunpoText(in, version, strings), kind, progress);
        return;
    case kKindSen:
        (void)ReadSen(in, version);
        return;
    case kKindEnko:
        (void)ReadEnko(in, version);
        return;
    case kKindTen:
        (void)ReadTen(in, version);
        return;
    case kKindSolid:
        (void)ReadSolid(in, version);
        return;
    case kKindBlock:
        (void)ReadBlock(in, version);
        return;
    case kKindNone:
        return;
    }
}

}  // namespace

std::string ReadLpString(InputStream& in) { return std::string(ReadLpStringBytes(in)); }


std::string_view ReadLpStringBytes(InputStream& in)
{
    const std::uint8_t shortLength = in.readU8();
    if (shortLength != kLongStringMark)
        return in.readBytes(shortLength);
    // Low byte first; the writer stores whole 256-byte chunks and a
    // remainder, which amounts to one run of H * 256 + L bytes.
    FieldBlock length = in.fields(2);
    const std::uint8_t low = length.readU8();
    const std::uint8_t high = length.readU8();
    return in.readBytes(static_cast<std::size_t>(high) * 256 + low);
}

TEntAttr ReadAttr(InputStream& in, std::int32_t fileVersion)
{
    FieldBlock block = in.fields(AttrBytes(fileVersion));
    return DecodeAttr(block, fileVersion);
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

std::size_t CheckedTableSize(InputStream& in, std::int32_t count, std::size_t fileSize, std::uint64_t countAt)
{
    // Negative, or larger than the file: no file can hold that many records.
    if (count < 0 || static_cast<std::uint64_t>(count) > fileSize) {
        in.fail(StopReason::ImpossibleSize, countAt);
        return 0;
    }
    return static_cast<std::size_t>(count);
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

    // Where several slots match, the highest kind wins.
    for (std::int32_t k = kEntityKindCount; k >= 1; --k) {
        if (decoder.Slots[static_cast<std::size_t>(k)] == reference)
            return static_cast<EntityKind>(k);
    }
    return kKindNone;
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
    FieldBlock block = in.fields(AttrBytes(fileVersion) + 4 * 8);
    return DecodeSen(block, fileVersion);
}

TEntEnko ReadEnko(InputStream& in, std::int32_t fileVersion)
{
    FieldBlock block = in.fields(AttrBytes(fileVersion) + 7 * 8 + 4);
    TEntEnko arc;
    arc.Attr = DecodeAttr(block, fileVersion);
    ReadDoubles(block, arc.D);
    arc.I = block.readI32();
    return arc;
}

TEntTen ReadTen(InputStream& in, std::int32_t fileVersion)
{
    FieldBlock block = in.fields(AttrBytes(fileVersion) + 2 * 8 + 4);
    TEntTen point;
    point.Attr = DecodeAttr(block, fileVersion);
    ReadDoubles(block, point.D);
    point.I = block.readI32();
    if (point.Attr.AttrB == kPointExtensionMark) {
        FieldBlock extension = in.fields(4 + 2 * 8);
        point.ExtI = extension.readI32();
        ReadDoubles(extension, point.ExtD);
    }
    return point;
}

TEntSolid ReadSolid(InputStream& in, std::int32_t fileVersion)
{
    FieldBlock block = in.fields(AttrBytes(fileVersion) + 8 * 8);
    TEntSolid solid;
    solid.Attr = DecodeAttr(block, fileVersion);
    ReadDoubles(block, solid.D);
    if (solid.Attr.AttrC == kSolidExtraMark)
        solid.Extra = in.readI32();
    return solid;
}

TEntBlock ReadBlock(InputStream& in, std::int32_t fileVersion)
{
    FieldBlock block = in.fields(AttrBytes(fileVersion) + 5 * 8 + 4);
    TEntBlock insertion;
    insertion.Attr = DecodeAttr(block, fileVersion);
    ReadDoubles(block, insertion.D);
    insertion.I = block.readI32();
    return insertion;
}

void ReadMojiInto(InputStream& in, std::int32_t fileVersion, StringPool& strings, TEntMoji& entry)
{
    // The numbers form one fixed-size run, taken whole: a text cut off among
    // them leaves the entry empty, one cut off in its strings keeps them.
    FieldBlock numbers = in.fields(MojiNumberBytes(fileVersion));
    entry.Attr = DecodeAttr(numbers, fileVersion);
    ReadDoubles(numbers, entry.D1);
    entry.I = numbers.readI32();
    ReadDoubles(numbers, entry.D2);
    entry.FirstString = ReadKeptString(in, strings);
    entry.Text = ReadKeptString(in, strings);
}

void ReadSunpoInto(InputStream& in, std::int32_t fileVersion, StringPool& strings, TEntSunpo& dim)
{
    FieldBlock head = in.fields(SunpoHeadBytes(fileVersion));
    dim.Attr = DecodeAttr(head, fileVersion);
    dim.Line = DecodeSen(head, fileVersion);
    ReadMojiInto(in, fileVersion, strings, dim.Moji);
    if (fileVersion < kVersionSunpoExtension) {
        CompleteOldSunpo(dim);
    } else {
        FieldBlock lines = in.fields(SunpoLinesBytes(fileVersion));
        dim.W = lines.readU16();
        dim.Line2 = DecodeSen(lines, fileVersion);
        dim.Line3 = DecodeSen(lines, fileVersion);
        for (TEntTen& point : dim.Points)
            point = ReadTen(in, fileVersion);
    }
    // Stored whole or not at all: a dimension cut off anywhere leaves its
    // entry empty.
    if (in.failed())
        dim = TEntSunpo{};
}

TEntSunpo ReadSunpo(InputStream& in, std::int32_t fileVersion, StringPool& strings)
{
    TEntSunpo dim;
    ReadSunpoInto(in, fileVersion, strings, dim);
    return dim;
}

namespace {

// Checks a list's declared count and, where the parse keeps every record,
// sizes its order list to it (all entries (0, 0)). False when the parse
// stops there.
[[nodiscard]] bool SizeOrderList(InputStream& in, TEntityTables& tables, std::int32_t count,
                                 const TArchiveFormat& format, std::uint64_t countAt)
{
    const std::size_t size = CheckedTableSize(in, count, format.FileSize, countAt);
    if (in.failed())
        return false;
    if (format.Kept == RecordsKept::All && !TryAssign(tables.Order, size, TOrderEntry{}))
        in.fail(StopReason::OutOfMemory);
    return !in.failed();
}

// Reads `count` recognised entities into `tables`, whose order list has
// been sized to `count`, and their strings into `strings`; or, where the
// parse keeps the texts alone, only their texts. Objects of unknown class
// are passed over.
void ReadEntities(InputStream& in, const TArchiveFormat& format, TClassTagDecoder& decoder, std::int32_t count,
                  StringPool& strings, TEntityTables& tables)
{
    std::int32_t read = 0;
    while (read < count) {
        in.mark("entity list");
        const std::size_t tagAt = in.tell();
        const EntityKind kind = ReadClassTag(in, decoder, format.NameBufferSize);
        if (in.failed())
            return;
        if (kind == kKindNone)
            continue;  // nothing is known of the object's size: its bytes are read as the next tag
        const ListProgress progress{read, count, in.remaining()};
        if (format.Kept == RecordsKept::TextsOnly) {
            // A record cut off leaves nothing; the next tag, or the caller,
            // sees the cursor stopped.
            ReadEntityText(in, format.FileVersion, kind, progress, strings, tables.Listed);
        } else {
            const std::int32_t index = ReadEntityRecord(in, format.FileVersion, kind, progress, strings, tables);
            if (in.failed())
                return;  // the order list keeps (0, 0) for a record cut off
            const auto slot = static_cast<std::size_t>(read);
            if (slot < tables.Order.size())
                tables.Order[slot] = TOrderEntry{kind, index};
        }
        if (format.Trace != nullptr && (kind == kKindMoji || kind == kKindSunpou) && !in.failed())
            format.Trace->Note(tagAt, static_cast<std::uint64_t>(kind));
        ++read;
        CountObject(decoder);
    }
}

void ReadOneBlockDefinition(InputStream& in, const TArchiveFormat& format, TClassTagDecoder& decoder,
                            std::int32_t position, StringPool& strings, TBlockDefTable& table)
{
    in.mark("block definition");
    const std::size_t tagAt = in.tell();
    ReadBlockDefTag(in, decoder, format.NameBufferSize);
    const TEntAttr attr = ReadAttr(in, format.FileVersion);
    const std::int32_t value1 = in.readI32();
    const std::int32_t value2 = in.readI32();
    const std::uint32_t third = in.readU32();
    auto value3 = static_cast<std::int32_t>(third);
    if (third >= kBlockDefExtraFlag) {
        in.skip(kBlockDefExtraBytes);
        value3 = position;
    }
    // A definition is entered once its head is read whole.
    if (in.failed())
        return;
    if (!TryRoomForOne(table.Defs)) {
        in.fail(StopReason::OutOfMemory);
        return;
    }
    TEntBlockDef& def = table.Defs.emplace_back();
    if (format.Trace != nullptr)
        format.Trace->Note(tagAt, ArchiveTrace::kBlockDefinition);
    def.Attr = attr;
    def.Value1 = value1;
    def.Value2 = value2;
    def.Value3 = value3;
    def.Name.assign(ReadLpStringBytes(in));
    const std::size_t countAt = in.tell();
    def.EntityCount = ReadObjectCount(in);
    if (!SizeOrderList(in, def.Entities, def.EntityCount, format, countAt))
        return;
    CountObject(decoder);  // the definition itself takes the next object index
    ReadEntities(in, format, decoder, def.EntityCount, strings, def.Entities);
}

// Reads the block definition list, count included, into `table`.
void ReadBlockDefinitions(InputStream& in, const TArchiveFormat& format, TClassTagDecoder& decoder,
                          StringPool& strings, TBlockDefTable& table)
{
    table.Count = 0;
    table.TableSize = 0;
    table.Defs.clear();

    in.mark("block definition list");
    const std::size_t countAt = in.tell();
    const std::int32_t count = ReadObjectCount(in);
    if (count == 0)  // as a count cut off reads
        return;
    table.Count = count;
    // The entries themselves are made as each definition is started, so a
    // table that is declared large but cut short costs nothing.
    const std::size_t size = CheckedTableSize(in, count, format.FileSize, countAt);
    if (in.failed())
        return;
    table.TableSize = static_cast<std::int32_t>(size);

    for (std::int32_t position = 1; position <= count && !in.failed(); ++position)
        ReadOneBlockDefinition(in, format, decoder, position, strings, table);
}

}  // namespace

void ReadEntityListAndBlocks(InputStream& in, const TArchiveFormat& format, std::int32_t& entityCount,
                             StringPool& strings, TEntityTables& entities, TBlockDefTable& blockDefs)
{
    TClassTagDecoder decoder;  // one per parse
    in.mark("entity list");
    const std::size_t countAt = in.tell();
    if (format.Trace != nullptr)
        format.Trace->EntityListAt = countAt;
    entityCount = ReadObjectCount(in);
    if (!SizeOrderList(in, entities, entityCount, format, countAt))
        return;
    ReadEntities(in, format, decoder, entityCount, strings, entities);
    if (!in.failed())
        ReadBlockDefinitions(in, format, decoder, strings, blockDefs);
}

}  // namespace vaveze
