#include "core/readers/dos/zvkunit.h"

#include <exception>

#include "core/text/Func_.h"

namespace vaveze {
namespace {

constexpr std::size_t kHeaderLineCount = 2;
constexpr std::size_t kHeaderBytes = kHeaderLineCount * kDosHeaderLineSize;
constexpr std::size_t kHeaderFieldCount = 9;

void ReadZvk(ZvkReader& r, std::string_view bytes)
{
    InputStream in(bytes);
    r.HeaderLines.resize(kHeaderLineCount);
    for (auto& line : r.HeaderLines)
        line = ReadHeaderLine(in);
    DecodeZvkHeader(r);

    // Every record table must fit in what follows the header lines; each is
    // checked just before it is sized, in file order.
    const std::size_t fileSize = bytes.size();
    const std::size_t room = fileSize - kHeaderBytes;
    const TZvkHeader& h = r.Header;
    r.Lines.resize(CheckedTableSize(h.LineCount, fileSize, kSen2FileSize, room));
    r.Arcs.resize(CheckedTableSize(h.ArcCount, fileSize, kEnko2FileSize, room));
    r.Points.resize(CheckedTableSize(h.PointCount, fileSize, kTen2FileSize, room));
    r.Texts.resize(CheckedTableSize(h.TextCount, fileSize, kMoji2FileSize, room));

    for (auto& rec : r.Lines)
        rec = ReadSen2(in);
    for (auto& rec : r.Arcs)
        rec = ReadEnko2(in);
    for (auto& rec : r.Points)
        rec = ReadTen2(in);
    for (auto& rec : r.Texts)
        rec = ReadMoji2(in, DosPoolAddressing::OffsetOnly);

    if (h.PoolSize > 0) {
        const std::string pool = ReadStringPool(in, h.PoolSize);
        GiveTextsTheirStrings(r.Texts, pool, 0, DosTextByteBudget(fileSize));
    }
}

}  // namespace

bool IsZvkFile(const std::string& path) { return FileStartsWith(path, kZvkMagic); }

void ResetZvk(ZvkReader& reader) { reader = ZvkReader{}; }

void ClearZvk(ZvkReader& reader) { ResetZvk(reader); }

void DecodeZvkHeader(ZvkReader& reader)
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
    h.Real4 = TextToSingle(f[4]);
    h.Real5 = TextToSingle(f[5]);
    h.Real6 = TextToSingle(f[6]);
    h.PoolSize = TextToInt(f[7]);
    h.Real8 = TextToSingle(f[8]);
}

bool ParseZvkBytes(ZvkReader& reader, std::string_view bytes)
{
    ResetZvk(reader);
    try {
        ReadZvk(reader, bytes);
        return true;
    } catch (const std::exception&) {
        // Input errors, an overflowing header real and failed allocations
        // all end the parse; what was stored before stays.
        return false;
    }
}

bool ParseZvk(ZvkReader& reader, const std::string& path)
{
    ResetZvk(reader);
    try {
        std::string bytes;
        if (!ReadWholeFile(path, bytes))
            return false;
        return ParseZvkBytes(reader, bytes);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace vaveze
