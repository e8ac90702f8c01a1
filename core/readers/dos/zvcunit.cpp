#include "core/readers/dos/zvcunit.h"

#include <algorithm>

#include "core/readers/dos/dossalvage.h"
#include "core/readers/parseguard.h"
#include "core/text/Func_.h"

namespace vaveze {
namespace {

constexpr std::size_t kHeaderLineCount = 4;
constexpr std::size_t kHeaderBytes = kHeaderLineCount * kDosHeaderLineSize;
constexpr std::size_t kTable101Size = 101;
constexpr std::size_t kWordTableSize = 12;
constexpr std::size_t kWordsInFile = 11;  // entry 11 stays zero
constexpr std::size_t kGroupCount = 16;
constexpr std::size_t kLayerCount = 256;
constexpr std::size_t kLayerNameSlot = 8;
constexpr std::size_t kGroupNameSlot = 16;
constexpr std::size_t kRealScaleFlagIndex = 22;  // character 23
constexpr std::size_t kOldSheetFieldIndex = 30;  // field 30 of line 2
constexpr std::int32_t kOldSheetZeroValue = 518;
// Where the line records start: after the fixed blocks and the group scales
// of either layout, and the group and layer bytes.
constexpr std::size_t kLinesAtWithRealScales = 2421;
constexpr std::size_t kLinesAtWithWordScales = 2389;

enum class FieldKind : std::uint8_t { Int, Real, PoolAddress };

struct FieldLayout {
    FieldKind Kind;
    float Default;  // exact for every integer default used here
};

constexpr FieldLayout I(float d = 0) { return {FieldKind::Int, d}; }
constexpr FieldLayout R(float d = 0) { return {FieldKind::Real, d}; }
constexpr FieldLayout P() { return {FieldKind::PoolAddress, 393216}; }  // segment 6000, offset 0000

// Kinds and defaults of the numeric header lines, field by field.
constexpr std::array<FieldLayout, 32> kLine2 = {
    I(),  I(),  I(),  I(),  I(),  I(1), I(1),    I(1),    I(1),  R(1),   I(),
    I(3), I(2), I(1), R(),  R(),  R(5), R(10),   I(),     I(),   I(),    I(),
    I(),  I(),  I(),  R(5), R(5), R(),  R(),     R(),     I(kOldSheetZeroValue), I()};
constexpr std::array<FieldLayout, 28> kLine3 = {
    R(),  R(),  R(3), R(15), I(),     I(),     I(),     I(),     I(),     I(1),
    R(),  R(),  R(),  R(),   R(),     R(),     I(),     I(),     I(),     R(100),
    R(100), R(100), R(100), R(100), R(100), R(), R(), R(1)};
constexpr std::array<FieldLayout, 22> kLine4 = {P(), P(), R(), R(), R(), R(), R(), R(), R(), R(), R(),
                                              R(), R(), R(), R(), R(), R(), R(), R(), R(), I(), I()};

template <std::size_t N>
std::array<TDosField, N> Defaults(const std::array<FieldLayout, N>& layout)
{
    std::array<TDosField, N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        if (layout[i].Kind == FieldKind::Real)
            out[i].F = layout[i].Default;
        else
            out[i].I = static_cast<std::int32_t>(layout[i].Default);
    }
    return out;
}

// Splits header line `index` (0-based) into the header's field list and
// converts field by field, storing each at once: an overflowing real stops
// the parse at its line, with the fields before it kept.
template <std::size_t N>
void DecodeLine(InputStream& in, std::vector<std::string>& fields, std::size_t index, std::string_view line,
                const std::array<FieldLayout, N>& layout, std::array<TDosField, N>& out)
{
    fields = SplitFields(line, N);
    for (std::size_t i = 0; i < N; ++i) {
        switch (layout[i].Kind) {
        case FieldKind::Int: out[i].I = TextToInt(fields[i]); break;
        case FieldKind::Real:
            if (!DosHeaderReal(fields[i], out[i].F)) {
                in.fail(StopReason::NumberOverflow, index * kDosHeaderLineSize);
                return;
            }
            break;
        case FieldKind::PoolAddress: out[i].I = ZvcPoolAddress(fields[i]); break;
        }
    }
}

// Decodes the header lines read; a real beyond range stops the parse
// (NumberOverflow) at its line.
void DecodeZvcHeader(ZvcReader& reader, InputStream& in)
{
    TZvcHeader& h = reader.Header;
    FieldListReset emptyAfterwards{h.Fields};
    auto line = [&reader](std::size_t i) {
        return i < reader.HeaderLines.size() ? std::string_view(reader.HeaderLines[i]) : std::string_view();
    };

    DosTitleTexts texts = TakeTitleTexts(line(0));
    h.TitleBlock = std::move(texts.TitleBlock);
    h.Text1 = std::move(texts.Text1);
    h.Text2 = std::move(texts.Text2);
    h.RealScale = line(0).size() > kRealScaleFlagIndex && line(0)[kRealScaleFlagIndex] == 'f';

    DecodeLine(in, h.Fields, 1, line(1), kLine2, h.Line2);
    if (in.failed())
        return;
    if (h.Line2[kOldSheetFieldIndex].I == 0)
        h.Line2[kOldSheetFieldIndex].I = kOldSheetZeroValue;
    DecodeLine(in, h.Fields, 2, line(2), kLine3, h.Line3);
    if (in.failed())
        return;
    DecodeLine(in, h.Fields, 3, line(3), kLine4, h.Line4);
}

// A name slot's bytes up to the first NUL.
std::string SlotName(std::string_view slot) { return std::string(slot.substr(0, slot.find('\0'))); }

void ReadFixedBlocks(ZvcReader& r, InputStream& in)
{
    for (auto& e : r.Table101)
        e.A = in.readU32();
    for (auto& e : r.Table101)
        e.B = in.readU32();
    for (auto& e : r.Table101)
        e.C = in.readU8();
    for (std::size_t word = 0; word < 4; ++word)
        for (std::size_t i = 0; i < kWordsInFile; ++i)
            r.Words[i][word] = in.readU16();
}

void ReadGroupsAndLayers(ZvcReader& r, InputStream& in)
{
    // The scales' layout follows the real-scale flag of the title line.
    for (auto& g : r.LayerGroups)
        g.Scale = r.Header.RealScale ? in.readFloat() : static_cast<float>(in.readU16());
    for (auto& g : r.LayerGroups)
        g.Byte1 = in.readU8();
    for (auto& l : r.Layers)
        l.Byte1 = in.readU8();
    for (auto& g : r.LayerGroups)
        g.Byte2 = in.readU8();
    for (auto& l : r.Layers)
        l.Byte2 = in.readU8();
    for (auto& g : r.LayerGroups)
        g.Byte3 = in.readU8();
}

// The record counts of the header, once room for their tables is set aside.
struct EntityCounts {
    std::size_t Lines = 0;
    std::size_t Arcs = 0;
    std::size_t Texts = 0;
    std::size_t Points = 0;
};

// Brings the tables to their counts however the parse ends.
struct FilledUpWithZeros {
    ZvcReader& Reader;
    const EntityCounts& Counts;
    ~FilledUpWithZeros()
    {
        FillUpWithZeros(Reader.Lines, Counts.Lines);
        FillUpWithZeros(Reader.Arcs, Counts.Arcs);
        FillUpWithZeros(Reader.Texts, Counts.Texts);
        FillUpWithZeros(Reader.Points, Counts.Points);
    }
};

void ReadEntities(ZvcReader& r, InputStream& in, const EntityCounts& n, std::size_t fileSize)
{
    in.mark("line record");
    ReadSen2Records(in, r.Lines, n.Lines);
    in.mark("arc record");
    ReadEnko2Records(in, r.Arcs, n.Arcs);
    in.mark("text record");
    ReadMoji2Records(in, r.Texts, n.Texts, DosPoolAddressing::SegmentOffset);
    if (in.failed())
        return;
    // Without a pool nothing is skipped: the point records follow directly.
    if (r.Header.PoolSize() > 0) {
        in.mark("string pool");
        r.TextPool = ReadStringPool(in, r.Header.PoolSize());
        if (in.failed())
            return;
        if (!GiveTextsTheirStrings(r.Texts, PoolBytes(r.TextPool), r.Header.PoolStart(), DosTextByteBudget(fileSize))) {
            in.fail(StopReason::OutOfMemory);
            return;
        }
    }
    in.mark("point record");
    ReadTen2Records(in, r.Points, n.Points);
}

void ReadNames(ZvcReader& r, InputStream& in)
{
    in.mark("layer name table");
    for (auto& l : r.Layers)
        l.Name = SlotName(in.readBytes(kLayerNameSlot));
    for (auto& g : r.LayerGroups)
        g.Name = SlotName(in.readBytes(kGroupNameSlot));
}

void ReadZvc(ZvcReader& r, InputStream& in)
{
    in.mark("header line");
    r.HeaderLines.resize(kHeaderLineCount);
    r.Table101.resize(kTable101Size);
    r.Words.resize(kWordTableSize);
    r.LayerGroups.resize(kGroupCount);
    r.Layers.resize(kLayerCount);

    for (auto& line : r.HeaderLines)
        line = ReadHeaderLine(in);
    if (in.failed())
        return;
    DecodeZvcHeader(r, in);
    if (in.failed())
        return;

    // Every table is checked against the file before room is set aside for
    // it. Line, arc and text records must fit behind the header; the point
    // records follow the pool, so a file cut among them still yields its
    // texts. The header lines have been read, so the file holds at least
    // their bytes.
    const std::size_t fileSize = in.size();
    const std::size_t room = CheckedSub(in, fileSize, kHeaderBytes);
    const TZvcHeader& h = r.Header;
    // Tables with room set aside are full-sized however the parse ends; the
    // records not read stay zero.
    EntityCounts n;
    const FilledUpWithZeros fillUp{r, n};
    in.mark("line table");
    n.Lines = SetAsideRoom(in, r.Lines, CheckedTableSize(in, h.LineCount(), fileSize, kSen2FileSize, room));
    in.mark("arc table");
    n.Arcs = SetAsideRoom(in, r.Arcs, CheckedTableSize(in, h.ArcCount(), fileSize, kEnko2FileSize, room));
    in.mark("text table");
    n.Texts = SetAsideRoom(in, r.Texts, CheckedTableSize(in, h.TextCount(), fileSize, kMoji2FileSize, room));
    in.mark("point table");
    n.Points = SetAsideRoom(in, r.Points, CheckedTableSize(in, h.PointCount(), fileSize, 0, 0));
    if (in.failed())
        return;

    in.mark("fixed table");
    ReadFixedBlocks(r, in);
    in.mark("layer table");
    ReadGroupsAndLayers(r, in);
    ReadEntities(r, in, n, fileSize);
    ReadNames(r, in);
}

}  // namespace

std::array<TDosField, 32> DefaultZvcLine2() { return Defaults(kLine2); }
std::array<TDosField, 28> DefaultZvcLine3() { return Defaults(kLine3); }
std::array<TDosField, 22> DefaultZvcLine4() { return Defaults(kLine4); }

std::int32_t ZvcPoolAddress(std::string_view field)
{
    // At most four hexadecimal digits each, so the sum cannot overflow.
    const auto hex = [field](std::int32_t start) {
        std::string digits(1, '$');  // appended, not "$" + ...: GCC 12 warns falsely (-Wrestrict) there
        digits += CopyClamped(field, start, 4);
        return TextToInt(digits);
    };
    return hex(1) * 16 + hex(6);
}

void ResetZvc(ZvcReader& reader) { reader = ZvcReader{}; }

void SalvageZvc(ZvcReader& reader, std::string_view bytes, const ParseOutcome& outcome)
{
    const TZvcHeader& h = reader.Header;
    const auto count = [](std::int32_t n) { return static_cast<std::uint64_t>(std::max(n, 0)); };
    DosLayout layout;
    layout.HeaderEnd = kHeaderBytes;
    layout.TextsAt = (h.RealScale ? kLinesAtWithRealScales : kLinesAtWithWordScales) +
                     kSen2FileSize * count(h.LineCount()) + kEnko2FileSize * count(h.ArcCount());
    layout.Texts = count(h.TextCount());
    layout.PoolAt = layout.TextsAt + kMoji2FileSize * layout.Texts;
    layout.PoolSize = count(h.PoolSize());
    layout.PoolBase = h.PoolStart();
    layout.Addressing = DosPoolAddressing::SegmentOffset;
    layout.End = layout.PoolAt + layout.PoolSize + kTen2FileSize * count(h.PointCount()) + kLayerCount * kLayerNameSlot +
                 kGroupCount * kGroupNameSlot;
    reader.Salvaged = SalvageDosTexts(bytes, layout, reader.TextPool.size() > 0, outcome);
}

ParseOutcome ParseZvcBytes(ZvcReader& reader, std::string_view bytes)
{
    InputStream in(bytes);
    return ParseZvcStream(reader, in);
}

ParseOutcome ParseZvcStream(ZvcReader& reader, InputStream& in)
{
    ResetZvc(reader);
    // What was stored before a stop stays.
    return GuardParse(in, [&] { ReadZvc(reader, in); });
}

}  // namespace vaveze
