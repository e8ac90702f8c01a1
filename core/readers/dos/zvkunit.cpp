#include "core/readers/dos/zvkunit.h"

#include <algorithm>

#include "core/readers/dos/dossalvage.h"
#include "core/readers/parseguard.h"
#include "core/text/Func_.h"

namespace vaveze {
namespace {

constexpr std::size_t kHeaderLineCount = 2;
constexpr std::size_t kHeaderBytes = kHeaderLineCount * kDosHeaderLineSize;
constexpr std::size_t kHeaderFieldCount = 9;

// Brings the record tables to their counts however their reading ends.
struct FilledUpWithZeros {
    ZvkReader& Reader;
    const std::size_t& Lines;
    const std::size_t& Arcs;
    const std::size_t& Points;
    const std::size_t& Texts;
    ~FilledUpWithZeros()
    {
        FillUpWithZeros(Reader.Lines, Lines);
        FillUpWithZeros(Reader.Arcs, Arcs);
        FillUpWithZeros(Reader.Points, Points);
        FillUpWithZeros(Reader.Texts, Texts);
    }
};

// Decodes the header lines read; a real beyond range stops the parse
// (NumberOverflow) at its line.
void DecodeZvkHeader(ZvkReader& reader, InputStream& in)
{
    TZvkHeader& h = reader.Header;
    FieldListReset emptyAfterwards{h.Fields};
    auto line = [&reader](std::size_t i) {
        return i < reader.HeaderLines.size() ? std::string_view(reader.HeaderLines[i]) : std::string_view();
    };

    DosTitleTexts texts = TakeTitleTexts(line(0));
    h.TitleBlock = std::move(texts.TitleBlock);
    h.Text1 = std::move(texts.Text1);
    h.Text2 = std::move(texts.Text2);

    // Field by field, each stored at once: an overflowing real ends the parse
    // with the fields before it kept. The file gives the point count before
    // the text count.
    h.Fields = SplitFields(line(1), kHeaderFieldCount);
    const std::vector<std::string>& f = h.Fields;
    h.LineCount = TextToInt(f[0]);
    h.ArcCount = TextToInt(f[1]);
    h.PointCount = TextToInt(f[2]);
    h.TextCount = TextToInt(f[3]);
    const auto real = [&in](const std::string& field, float& out) {
        if (!DosHeaderReal(field, out))
            in.fail(StopReason::NumberOverflow, kDosHeaderLineSize);
        return !in.failed();
    };
    if (!real(f[4], h.Real4) || !real(f[5], h.Real5) || !real(f[6], h.Real6))
        return;
    h.PoolSize = TextToInt(f[7]);
    (void)real(f[8], h.Real8);
}

void ReadZvk(ZvkReader& r, InputStream& in)
{
    in.mark("header line");
    r.HeaderLines.resize(kHeaderLineCount);
    for (auto& line : r.HeaderLines)
        line = ReadHeaderLine(in);
    if (in.failed())
        return;
    DecodeZvkHeader(r, in);
    if (in.failed())
        return;

    // Every record table must fit in what follows the header lines; each is
    // checked just before room is set aside for it, in file order. Tables
    // with room set aside are full-sized however the parse ends; the records
    // not read stay zero.
    const std::size_t fileSize = in.size();
    const std::size_t room = CheckedSub(in, fileSize, kHeaderBytes);
    const TZvkHeader& h = r.Header;
    std::size_t lines = 0, arcs = 0, points = 0, texts = 0;
    {
        const FilledUpWithZeros fillUp{r, lines, arcs, points, texts};
        in.mark("line table");
        lines = SetAsideRoom(in, r.Lines, CheckedTableSize(in, h.LineCount, fileSize, kSen2FileSize, room));
        in.mark("arc table");
        arcs = SetAsideRoom(in, r.Arcs, CheckedTableSize(in, h.ArcCount, fileSize, kEnko2FileSize, room));
        in.mark("point table");
        points = SetAsideRoom(in, r.Points, CheckedTableSize(in, h.PointCount, fileSize, kTen2FileSize, room));
        in.mark("text table");
        texts = SetAsideRoom(in, r.Texts, CheckedTableSize(in, h.TextCount, fileSize, kMoji2FileSize, room));
        if (in.failed())
            return;

        in.mark("line record");
        ReadSen2Records(in, r.Lines, lines);
        in.mark("arc record");
        ReadEnko2Records(in, r.Arcs, arcs);
        in.mark("point record");
        ReadTen2Records(in, r.Points, points);
        in.mark("text record");
        ReadMoji2Records(in, r.Texts, texts, DosPoolAddressing::OffsetOnly);
        if (in.failed())
            return;
    }

    if (h.PoolSize > 0) {
        in.mark("string pool");
        r.TextPool = ReadStringPool(in, h.PoolSize);
        if (in.failed())
            return;
        if (!GiveTextsTheirStrings(r.Texts, PoolBytes(r.TextPool), 0, DosTextByteBudget(fileSize)))
            in.fail(StopReason::OutOfMemory);
    }
}

}  // namespace

void ResetZvk(ZvkReader& reader) { reader = ZvkReader{}; }

void SalvageZvk(ZvkReader& reader, std::string_view bytes, const ParseOutcome& outcome)
{
    const TZvkHeader& h = reader.Header;
    const auto count = [](std::int32_t n) { return static_cast<std::uint64_t>(std::max(n, 0)); };
    DosLayout layout;
    layout.HeaderEnd = kHeaderBytes;
    layout.TextsAt = kHeaderBytes + kSen2FileSize * count(h.LineCount) + kEnko2FileSize * count(h.ArcCount) +
                     kTen2FileSize * count(h.PointCount);
    layout.Texts = count(h.TextCount);
    layout.PoolAt = layout.TextsAt + kMoji2FileSize * layout.Texts;
    layout.PoolSize = count(h.PoolSize);
    layout.Addressing = DosPoolAddressing::OffsetOnly;
    layout.End = layout.PoolAt + layout.PoolSize;
    reader.Salvaged = SalvageDosTexts(bytes, layout, reader.TextPool.size() > 0, outcome);
}

ParseOutcome ParseZvkBytes(ZvkReader& reader, std::string_view bytes)
{
    InputStream in(bytes);
    return ParseZvkStream(reader, in);
}

ParseOutcome ParseZvkStream(ZvkReader& reader, InputStream& in)
{
    ResetZvk(reader);
    // What was stored before a stop stays.
    return GuardParse(in, [&] { ReadZvk(reader, in); });
}

}  // namespace vaveze
