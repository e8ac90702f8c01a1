// The salvage reading: on an undamaged file it lists exactly what the
// ordinary reading lists; past a damaged place it finds the texts of the
// records that can be read again, in file order under their sections'
// headings, and says where it passed over; and a session offers it in one
// call, with the words for the notice.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "bench/bench_files.h"
#include "core/listing/extraction.h"
#include "core/session/session.h"
#include "core/session/texts.h"
#include "tests/dos/dos_writer.h"
#include "tests/temp_folder.h"
#include "tests/win/zvw_writer.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;
namespace ww = winwriter;
namespace dw = doswriter;

constexpr ListingOptions kEverything{true, true, true, true};

// Each line with its kind and block, the salvaged ones marked "+".
class KindSink final : public LineSink {
public:
    void Clear() override { Lines.clear(); }
    void SetKind(LineKind kind, std::int32_t block) override
    {
        kind_ = kind;
        block_ = block;
    }
    void StartSalvaged() override { salvaged_ = true; }
    [[nodiscard]] bool Append(std::string_view line) override
    {
        std::string shown = salvaged_ ? "+" : "";
        shown += kind_ == LineKind::Heading ? "#" : std::string(line);
        if (block_ != kNoBlock || kind_ == LineKind::BlockName || kind_ == LineKind::BlockText)
            shown += " @" + std::to_string(block_);
        Lines.push_back(shown);
        return true;
    }
    std::vector<std::string> Lines;

private:
    LineKind kind_ = LineKind::Text;
    std::int32_t block_ = kNoBlock;
    bool salvaged_ = false;
};

struct Read {
    Detection Found;
    std::vector<std::string> Lines;
    std::vector<SkippedPlace> Skipped;
};

Read ReadAs(const std::string& name, std::string_view bytes, ReadMode mode, const ListingOptions& options = kEverything)
{
    Readers readers;
    Read read;
    read.Found = DetectAndParseBytes(readers, name, bytes, RecordsKept::TextsOnly, mode);
    KindSink sink;
    EXPECT_TRUE(ListFormat(read.Found.Kind, readers, options, sink));
    read.Lines = sink.Lines;
    if (const SalvageResult* salvaged = SalvageOf(read.Found.Kind, readers))
        read.Skipped = salvaged->Skipped;
    return read;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Salvage, AnUndamagedFileListsExactlyAsItsOrdinaryReading)
{
    std::vector<std::pair<std::string, std::string>> files = {
        {"small.zvw", bench::MakeSmallDrawing(3)}, {"small.zvs", bench::MakeSmallSymbol(3)},
        {"small.zvc", bench::MakeDosDrawing(40, 3)}, {"small.zvk", bench::MakeDosSymbol(40, 3)}};
    for (const auto& entry : fs::directory_iterator(VAVEZE_SAMPLES_DIR))
        files.emplace_back(entry.path().filename().string(), ReadFile(entry.path()));
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const Read salvaged = ReadAs(name, bytes, ReadMode::Salvage);
        EXPECT_EQ(salvaged.Lines, ReadAs(name, bytes, ReadMode::Ordinary).Lines);
        EXPECT_TRUE(salvaged.Skipped.empty());
        // The salvage reading itself, made to read the whole file: nothing
        // to add, nothing passed over.
        if (name.ends_with(".zvw")) {
            ZvwReader reader;
            ArchiveTrace trace;
            InputStream in(bytes);
            const ParseOutcome outcome = ParseZvwTraced(reader, in, RecordsKept::TextsOnly, trace);
            SalvageZvw(reader, bytes, trace, outcome);
            EXPECT_TRUE(reader.Salvaged.Empty());
        } else if (name.ends_with(".zvs")) {
            ZvsReader reader;
            ArchiveTrace trace;
            InputStream in(bytes);
            const ParseOutcome outcome = ParseZvsTraced(reader, in, RecordsKept::TextsOnly, trace);
            SalvageZvs(reader, bytes, trace, outcome);
            EXPECT_TRUE(reader.Salvaged.Empty());
        }
    }
}

// A drawing whose texts and definitions are all different, and where in it
// the tag of each of its texts lies.
struct Drawing {
    std::string Bytes;

    [[nodiscard]] std::size_t TagOf(const std::string& text) const
    {
        // The text, behind its length and the first string's (empty) one,
        // behind the numbers of version 420's records, behind a short tag.
        const std::size_t string = Bytes.find(static_cast<char>(text.size()) + text);
        return string - 1 - (15 + 4 * 8 + 4 + 4 * 8) - 2;
    }
};

Drawing TestDrawing()
{
    ww::ZvwDocument doc;
    doc.Version = 420;
    doc.Entities.Add(ww::MakeMoji("one")).Add(ww::MakeMoji("two")).Add(ww::MakeSunpo("dim 100"));
    doc.Entities.Add(ww::MakeMoji("three"));
    // Lines first met after "three": a class defined past a damaged place.
    doc.Entities.Add(ww::MakeSen(0, 0, 1, 1)).Add(ww::MakeMoji("four")).Add(ww::MakeSen(1, 1, 2, 2));
    doc.Entities.Add(ww::MakeMoji("five"));
    ww::EntityList a;
    a.Add(ww::MakeMoji("a1")).Add(ww::MakeMoji("a2"));
    ww::EntityList b;
    b.Add(ww::MakeMoji("b1"));
    doc.BlockDefs.Defs = {ww::MakeBlockDef("A", a), ww::MakeBlockDef("B", b)};
    return {ww::WriteZvw(doc)};
}

// A tag that stops the ordinary reading: a new class whose name is longer
// than any class's.
void BreakTag(std::string& bytes, std::size_t at) { bytes.replace(at, 6, "\xFF\xFF\x01\x00\xFF\x7F", 6); }

TEST(Salvage, TheTextsBeyondADamagedPlaceFollowTheOrdinaryListingUnderTheirHeadings)
{
    const Drawing drawing = TestDrawing();
    const struct {
        const char* Damaged;
        std::vector<std::string> Salvaged;  // after the ordinary lines
    } cases[] = {
        // Past "three", the two lines' class is learnt again and nothing
        // else is passed over.
        {"three", {"+#", "+four", "+five", "+#", "+\x81\x9F" "A @0", "+a1 @0", "+a2 @0", "+\x81\x9F" "B @1", "+b1 @1"}},
        // Inside a definition: its place in the list is not known after it.
        {"a1", {"+#", "+a2 @-1", "+\x81\x9F" "B @-1", "+b1 @-1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Damaged);
        std::string bytes = drawing.Bytes;
        const std::size_t at = drawing.TagOf(c.Damaged);
        BreakTag(bytes, at);
        const Read ordinary = ReadAs("d.zvw", bytes, ReadMode::Ordinary);
        const Read salvaged = ReadAs("d.zvw", bytes, ReadMode::Salvage);
        EXPECT_EQ(ordinary.Found.Outcome.Reason, StopReason::ImpossibleSize);
        ASSERT_GE(salvaged.Lines.size(), ordinary.Lines.size());
        EXPECT_EQ(std::vector<std::string>(salvaged.Lines.begin(), salvaged.Lines.begin() +
                                               static_cast<std::ptrdiff_t>(ordinary.Lines.size())),
                  ordinary.Lines);
        EXPECT_EQ(std::vector<std::string>(salvaged.Lines.begin() + static_cast<std::ptrdiff_t>(ordinary.Lines.size()),
                                           salvaged.Lines.end()),
                  c.Salvaged);
        ASSERT_EQ(salvaged.Skipped.size(), 1u);
        EXPECT_EQ(salvaged.Skipped[0].Reason, StopReason::ImpossibleSize);
        EXPECT_EQ(salvaged.Skipped[0].From, at);
        EXPECT_GT(salvaged.Skipped[0].To, at);
    }
}

TEST(Salvage, TheOptionsLeaveOutSalvagedTextsAsTheyLeaveOutOrdinaryOnes)
{
    std::string bytes = TestDrawing().Bytes;
    BreakTag(bytes, Drawing{bytes}.TagOf("two"));
    const Read plain = ReadAs("d.zvw", bytes, ReadMode::Salvage, {false, false, false, true});
    EXPECT_EQ(plain.Lines, (std::vector<std::string>{"#", "one", "+#", "+three", "+four", "+five"}));
}

// The MS-DOS formats: a run cut out of the text records, and a symbol file
// cut short inside its pool.
TEST(Salvage, TheMsDosFormatsFindTheTextsWhereTheBytesMissingLeaveThem)
{
    dw::ZvcDocument zvc = dw::NewZvc(true);
    dw::ZvkDocument zvk = dw::NewZvk();
    std::vector<std::string> texts;
    for (int i = 0; i < 20; ++i) {
        // Strings of lengths that do not repeat: a pool of strings all of
        // one length reads as well shifted by a multiple of it.
        texts.push_back("text " + std::to_string(i) + std::string(static_cast<std::size_t>(i * 7 % 11), '-'));
        // Records that differ in their numbers too, as a drawing's do.
        const auto n = static_cast<std::uint32_t>(i + 1) * 2654435761u;
        dw::AddZvcText(zvc, texts.back()).Values = {n, n >> 3, 250u << 16, n >> 7};
        dw::AddZvkText(zvk, texts.back()).Values = {n, n >> 5, 180u << 16, n >> 9};
    }
    dw::SyncZvcHeader(zvc);
    dw::SyncZvkHeader(zvk);
    std::string cut = dw::WriteZvc(zvc);
    const std::size_t gap = dw::ZvcEntityOffset(true) + 24 * 8 + 5;  // inside the ninth record
    cut.erase(gap, 50);
    std::string shortened = dw::WriteZvk(zvk);
    // The last four strings of the pool, NUL after NUL.
    std::size_t lastFour = 0;
    for (std::size_t i = texts.size() - 4; i < texts.size(); ++i)
        lastFour += texts[i].size() + 1;
    shortened.resize(shortened.size() - lastFour);

    for (const auto& [name, bytes, lost] : {std::tuple{"d.zvc", cut, 3}, std::tuple{"s.zvk", shortened, 4}}) {
        SCOPED_TRACE(name);
        const Read read = ReadAs(name, bytes, ReadMode::Salvage, {false, false, false, true});
        std::vector<std::string> salvaged;
        for (const std::string& line : read.Lines)
            if (line.starts_with("+") && line != "+#")
                salvaged.push_back(line.substr(1));
        // Every text but those whose record or string the missing bytes
        // held, in file order; but for a few beside them where the bytes
        // around the gap leave its place in doubt.
        EXPECT_GE(salvaged.size() + 6, texts.size() - static_cast<std::size_t>(lost));
        EXPECT_LE(salvaged.size(), texts.size() - static_cast<std::size_t>(lost));
        auto next = texts.begin();
        for (const std::string& text : salvaged) {
            next = std::find(next, texts.end(), text);
            EXPECT_TRUE(next != texts.end()) << text;
        }
        ASSERT_FALSE(read.Skipped.empty());
        EXPECT_EQ(read.Skipped[0].Reason, StopReason::EndsEarly);
    }
}

TEST(Salvage, ASessionReadsTheFileShownAgainOnPastItsDamageInOneCall)
{
    const TempFolder folder;
    std::string bytes = TestDrawing().Bytes;
    BreakTag(bytes, Drawing{bytes}.TagOf("three"));
    const fs::path path = folder.Write("damaged.zvw", bytes);

    Session session;
    const ListingOptions options;
    ASSERT_TRUE(session.Open(path).Partial());
    EXPECT_EQ(session.SalvagedLines(options), 0u);
    const OpenResult& salvaged = session.Salvage();
    EXPECT_TRUE(salvaged.Partial());  // the ordinary reading's outcome stays
    EXPECT_EQ(salvaged.Mode, ReadMode::Salvage);
    EXPECT_EQ(salvaged.Skipped.size(), 1u);
    EXPECT_EQ(session.SalvagedLines(options), 2u);  // "four" and "five"
    EXPECT_EQ(session.SalvagedLines({true, true, true}), 7u);
    EXPECT_EQ(&session.Salvage(), &session.Shown());  // read so already

    EXPECT_EQ(SalvageSummary(2, 1, Language::English), "2 lines salvaged beyond 1 damaged place");
    EXPECT_EQ(SalvageSummary(1, 3, Language::English), "1 line salvaged beyond 3 damaged places");
    EXPECT_EQ(SalvageSummary(2, 1, Language::Japanese), "傷んだ箇所 1 か所の先から 2 行を取り出しました");
    EXPECT_NE(SalvagedNotice(session.Shown(), 2).find("「damaged.zvw」は最後まで読めませんでした"), std::string::npos);
    EXPECT_EQ(SkippedPlaceText({StopReason::DamagedRecord, 1200, 3456}, Language::Japanese),
              "1,200 バイト目から 3,456 バイト目まで: あり得ない内容のレコードです");
    EXPECT_STREQ(Text(WindowText::SalvageButton), "残りも探す");
}

}  // namespace
}  // namespace vaveze
