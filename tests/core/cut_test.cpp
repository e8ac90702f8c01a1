// One file of each format, holding every kind of record, cut at every byte
// offset: no cut may fault, every proper prefix ends early at its own size, the tables
// hold only what the prefix holds, and the listing shows no text the whole
// file does not hold. Read with salvage, every prefix, and the file with a
// run of bytes cut out or zeroed at every offset, lists the ordinary
// listing first, byte for byte, and after it no text the whole file does
// not hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/listing/extraction.h"
#include "core/listing/listing.h"
#include "core/readers/dos/zvcunit.h"
#include "core/readers/windowedinput.h"
#include "core/readers/dos/zvkunit.h"
#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvwunit.h"
#include "tests/dos/dos_writer.h"
#include "tests/win/zvw_writer.h"

namespace vaveze {
namespace {

namespace dw = doswriter;
namespace ww = winwriter;
using Lines = std::vector<std::string>;

constexpr ListingOptions kEveryOption{true, true, true};

// A value read from a prefix is either the whole file's value or still the
// default the parse started from.
template <typename T>
bool PrefixOf(const T& cut, const T& full, const T& empty = T{})
{
    return cut == full || cut == empty;
}

// The cut file's listing must be the whole file's listing with lines left
// out, in the same order. Two kinds of line may differ from their partner:
// a joined name line whose names were read only in part (a proper prefix
// of its partner, once per listing), and the bare mark of a block definition
// the parse never reached.
::testing::AssertionResult ListingIsPrefixConsistent(const Lines& cut, const Lines& full)
{
    const std::string mark(kBlockMark);
    std::size_t at = 0;
    bool partialSeen = false;
    for (const std::string& line : cut) {
        std::size_t match = at;
        while (match < full.size() && full[match] != line)
            ++match;
        if (match == full.size()) {
            match = at;
            auto partner = [&](const std::string& f) {
                if (line == mark)
                    return f.starts_with(mark);
                return !partialSeen && f.size() > line.size() && f.starts_with(line);
            };
            while (match < full.size() && !partner(full[match]))
                ++match;
            if (match == full.size())
                return ::testing::AssertionFailure() << "line \"" << line << "\" has no partner in the whole listing";
            partialSeen = partialSeen || line != mark;
        }
        at = match + 1;
    }
    return ::testing::AssertionSuccess();
}

// Parses every proper prefix of `bytes` and checks it against the parse of
// the whole file with `checkTables(cutReader, fullReader)`.
template <typename Reader, typename Parse, typename List, typename CheckTables>
void CheckEveryCut(const std::string& bytes, Parse parse, List list, CheckTables checkTables)
{
    Reader full;
    ASSERT_TRUE(parse(full, bytes));
    VectorSink fullListing;
    ASSERT_TRUE(list(full, kEveryOption, fullListing));

    Reader cut;
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        SCOPED_TRACE("cut at " + std::to_string(size) + " of " + std::to_string(bytes.size()));
        const ParseOutcome outcome = parse(cut, std::string_view(bytes).substr(0, size));
        ASSERT_EQ(outcome, (ParseOutcome{StopReason::EndsEarly, size, outcome.Record}));
        ASSERT_FALSE(outcome.Record.empty());
        checkTables(cut, full);
        VectorSink cutListing;
        ASSERT_TRUE(list(cut, kEveryOption, cutListing));
        ASSERT_TRUE(ListingIsPrefixConsistent(cutListing.Lines, fullListing.Lines));
        if (::testing::Test::HasFailure())
            return;  // one failing cut says enough
    }
}

// The bytes of a prefix handed out a few at a time.
struct Trickle {
    std::string_view Bytes;
    std::size_t Given = 0;
    static std::size_t ReadSome(void* self, char* into, std::size_t most)
    {
        auto& t = *static_cast<Trickle*>(self);
        const std::size_t n = std::min({most, t.Bytes.size() - t.Given, std::size_t{3}});
        std::copy_n(t.Bytes.data() + t.Given, n, into);
        t.Given += n;
        return n;
    }
};

// Every prefix read a window at a time, through windows of 1 and 7 bytes,
// parses as the prefix held whole. So does a file that shrank to the prefix
// while it was read, but for what the reader checked against its size as
// opened: it ends at the same byte, for the same reason.
template <typename Reader, typename ParseBytes, typename ParseStream, typename List, typename SameTables>
void CheckEveryCutWindowed(const std::string& bytes, ParseBytes parseBytes, ParseStream parseStream, List list,
                           SameTables sameTables)
{
    for (std::size_t size = 0; size <= bytes.size(); ++size) {
        const std::string_view prefix = std::string_view(bytes).substr(0, size);
        Reader whole;
        const ParseOutcome expected = parseBytes(whole, prefix);
        VectorSink expectedListing;
        ASSERT_TRUE(list(whole, kEveryOption, expectedListing));
        for (const std::size_t window : {1, 7}) {
            for (const std::size_t declared : {size, bytes.size()}) {
                SCOPED_TRACE("prefix " + std::to_string(size) + ", window " + std::to_string(window) + ", size " +
                             std::to_string(declared));
                Trickle source{prefix};
                WindowedInput input(declared, window, &Trickle::ReadSome, &source);
                InputStream in = input.Cursor();
                Reader windowed;
                const ParseOutcome outcome = parseStream(windowed, in);
                ASSERT_EQ(outcome.Reason, expected.Reason);
                ASSERT_EQ(outcome.Offset, expected.Offset);
                if (declared != size)
                    continue;
                ASSERT_EQ(outcome, expected);
                ASSERT_TRUE(sameTables(windowed, whole));
                VectorSink listing;
                ASSERT_TRUE(list(windowed, kEveryOption, listing));
                ASSERT_EQ(listing.Lines, expectedListing.Lines);
            }
        }
    }
}

// --- Windows formats ---------------------------------------------------------

// The record a cut ended in: nothing but its strings may have been stored,
// each whole or not at all, and its text string never without the rest.
bool PartialRecord(const TEntMoji& cut, const TEntMoji& full)
{
    return cut.Text.empty() && PrefixOf(cut.FirstString, full.FirstString);
}
bool PartialRecord(const TEntSunpo& cut, const TEntSunpo& full) { return PartialRecord(cut.Moji, full.Moji); }
template <typename T>
bool PartialRecord(const T& cut, const T&)
{
    return cut == T{};
}

// A growing table holds the whole file's first entries; the last of them
// may be the record the cut ended in.
template <typename T, typename A>
void ExpectGrowingTablePrefix(const std::vector<T, A>& cut, const std::vector<T, A>& full, const char* what)
{
    ASSERT_LE(cut.size(), full.size()) << what;
    for (std::size_t i = 0; i < cut.size(); ++i) {
        if (i + 1 == cut.size())
            EXPECT_TRUE(cut[i] == full[i] || PartialRecord(cut[i], full[i])) << what << " " << i;
        else
            EXPECT_TRUE(cut[i] == full[i]) << what << " " << i;
    }
}

void ExpectEntitiesPrefix(const TEntityTables& cut, const TEntityTables& full)
{
    if (!cut.Order.empty()) {
        ASSERT_EQ(cut.Order.size(), full.Order.size());
        for (std::size_t i = 0; i < cut.Order.size(); ++i)
            EXPECT_TRUE(PrefixOf(cut.Order[i], full.Order[i])) << "order " << i;
    }
    ExpectGrowingTablePrefix(cut.Sen, full.Sen, "line");
    ExpectGrowingTablePrefix(cut.Enko, full.Enko, "arc");
    ExpectGrowingTablePrefix(cut.Ten, full.Ten, "point");
    ExpectGrowingTablePrefix(cut.Moji, full.Moji, "text");
    ExpectGrowingTablePrefix(cut.Sunpo, full.Sunpo, "dimension");
    ExpectGrowingTablePrefix(cut.Solid, full.Solid, "solid");
    ExpectGrowingTablePrefix(cut.Block, full.Block, "block insertion");
}

void ExpectBlockDefsPrefix(const TBlockDefTable& cut, const TBlockDefTable& full)
{
    EXPECT_TRUE(PrefixOf(cut.Count, full.Count));
    EXPECT_TRUE(PrefixOf(cut.TableSize, full.TableSize));
    ASSERT_LE(cut.Defs.size(), full.Defs.size());
    for (std::size_t i = 0; i < cut.Defs.size(); ++i) {
        SCOPED_TRACE("block definition " + std::to_string(i));
        const TEntBlockDef& c = cut.Defs[i];
        const TEntBlockDef& f = full.Defs[i];
        if (i + 1 < cut.Defs.size()) {
            EXPECT_TRUE(c == f);
            continue;
        }
        EXPECT_TRUE(PrefixOf(c.Name, f.Name));
        EXPECT_TRUE(PrefixOf(c.EntityCount, f.EntityCount));
        ExpectEntitiesPrefix(c.Entities, f.Entities);
    }
}

template <typename T, typename A>
void ExpectNamesPrefix(const std::vector<T, A>& cut, const std::vector<T, A>& full, const char* what)
{
    if (cut.empty())
        return;  // the parse ended before it sized the table
    ASSERT_EQ(cut.size(), full.size()) << what;
    for (std::size_t i = 0; i < cut.size(); ++i)
        EXPECT_TRUE(PrefixOf(cut[i].Name, full[i].Name)) << what << " " << i;
}

// Every kind of record, with both forms of the conditional fields, texts and
// dimension texts all different, and every tag form.
ww::EntityList EveryKind(const std::string& prefix)
{
    ww::EntityList list;
    list.Add(ww::MakeSen(0, 0, 10, 10));
    TEntEnko arc;
    arc.D = {1, 2, 3, 4, 5, 6, 7};
    list.Add(arc);
    TEntTen point;
    point.D = {5, 5};
    list.Add(point);
    point.Attr.AttrB = kPointExtensionMark;
    point.ExtD = {1, 2};
    list.Add(point, ww::TagForm::LongRef);
    list.Add(ww::MakeMoji(prefix + "text one", prefix + "first one"));
    list.Add(ww::MakeMoji(prefix + "\x95\xB6\x8E\x9A two"), ww::TagForm::ShortRef);
    list.Add(ww::MakeSunpo(prefix + "dimension 100"));
    TEntSolid solid;
    solid.Attr.AttrC = kSolidExtraMark;
    solid.Extra = 5;
    list.Add(solid);
    list.Add(TEntSolid{}, ww::TagForm::ShortRef);
    TEntBlock insertion;
    insertion.D = {1, 1, 1, 1, 0};
    list.Add(insertion);
    list.Add(ww::MakeMoji(prefix + "text three"), ww::TagForm::NewClass);
    return list;
}

ww::BlockDefList EveryKindOfBlock()
{
    ww::BlockDefList blocks;
    blocks.Defs.push_back(ww::MakeBlockDef("block one", EveryKind("one ")));
    ww::BlockDefItem second = ww::MakeBlockDef("block two");
    second.Value3 = 0x80000002u;  // eight extra bytes before the name
    second.Entities.Add(ww::MakeSunpo("two dimension"));
    second.Entities.Add(ww::MakeMoji("two text"));
    blocks.Defs.push_back(second);
    blocks.Defs.push_back(ww::MakeBlockDef("block three"));
    return blocks;
}

// Version 420 has every part of the header and the dimensions' extension;
// nothing follows its block definitions.
std::string EveryRecordZvw()
{
    ww::ZvwDocument doc;
    doc.Version = 420;
    doc.Header.Memo = "the memo";
    doc.Group(0).Name = "group zero";
    doc.Group(7).Name = "group seven";
    doc.Layer(0, 0).Name = "layer 0-0";
    doc.Layer(0, 5).Name = "layer 0-5";
    doc.Layer(7, 15).Name = "layer 7-15";
    doc.Color(0).Name = "colour 0";
    doc.Color(200).Name = "colour 200";
    doc.LineType(3).Name = "line type 3";
    doc.LineType(32).Name = "line type 32";
    doc.Entities = EveryKind("");
    doc.BlockDefs = EveryKindOfBlock();
    return ww::WriteZvw(doc);
}

std::string EveryRecordZvs(std::int32_t version = 420)
{
    ww::ZvsDocument doc;
    doc.Version = version;
    doc.GroupDoubles[3] = 2.5;
    doc.Entities = EveryKind("");
    doc.BlockDefs = EveryKindOfBlock();
    return ww::WriteZvs(doc);
}

TEST(CutAtEveryOffset, DrawingFileOfTheWindowsEdition)
{
    CheckEveryCut<ZvwReader>(EveryRecordZvw(), ParseZvwBytes, ListZvw, [](const ZvwReader& cut, const ZvwReader& full) {
        EXPECT_TRUE(PrefixOf(cut.Header.Memo, full.Header.Memo));
        ExpectNamesPrefix(cut.LayerGroups, full.LayerGroups, "group");
        ExpectNamesPrefix(cut.Layers, full.Layers, "layer");
        ExpectNamesPrefix(cut.Colors, full.Colors, "colour");
        ExpectNamesPrefix(cut.LineTypes, full.LineTypes, "line type");
        EXPECT_TRUE(PrefixOf(cut.Header.EntityCount, full.Header.EntityCount));
        EXPECT_TRUE(PrefixOf(cut.Header.BlockDefCount, full.Header.BlockDefCount));
        ExpectEntitiesPrefix(cut.Entities, full.Entities);
        ExpectBlockDefsPrefix(cut.BlockDefs, full.BlockDefs);
    });
}

TEST(CutAtEveryOffset, SymbolFileOfTheWindowsEdition)
{
    CheckEveryCut<ZvsReader>(EveryRecordZvs(), ParseZvsBytes, ListZvs, [](const ZvsReader& cut, const ZvsReader& full) {
        EXPECT_TRUE(PrefixOf(cut.Header.EntityCount, full.Header.EntityCount));
        EXPECT_TRUE(PrefixOf(cut.Header.BlockDefCount, full.Header.BlockDefCount));
        ASSERT_EQ(cut.LayerGroups.size(), full.LayerGroups.size());
        for (std::size_t g = 0; g < cut.LayerGroups.size(); ++g)
            EXPECT_TRUE(PrefixOf(cut.LayerGroups[g].D, full.LayerGroups[g].D)) << "group " << g;
        ExpectEntitiesPrefix(cut.Entities, full.Entities);
        ExpectBlockDefsPrefix(cut.BlockDefs, full.BlockDefs);
    });
}

// --- DOS formats -------------------------------------------------------------

bool SameText(const TMoji2& a, const TMoji2& b)
{
    return a.Values == b.Values && a.PoolPosition == b.PoolPosition && a.AttrBytes == b.AttrBytes && a.Text == b.Text;
}

bool SameArc(const TEnko2& a, const TEnko2& b)
{
    return a.Value1 == b.Value1 && a.Value2 == b.Value2 && a.Value3 == b.Value3 && a.Ratio == b.Ratio &&
           a.Real1 == b.Real1 && a.Real2 == b.Real2 && a.Real3 == b.Real3 && a.Bytes == b.Bytes;
}

bool SamePoint(const TTen2& a, const TTen2& b)
{
    return a.Value1 == b.Value1 && a.Value2 == b.Value2 && a.Value3 == b.Value3;
}

// A record table is empty (never sized) or has the whole file's length, each
// entry read in full or still empty. A text's string comes from the pool
// after its record, so a text may also hold its record without its string.
template <typename T, typename A, typename Same>
void ExpectTablePrefix(const std::vector<T, A>& cut, const std::vector<T, A>& full, Same same, const char* what)
{
    if (cut.empty())
        return;
    ASSERT_EQ(cut.size(), full.size()) << what;
    for (std::size_t i = 0; i < cut.size(); ++i) {
        T withoutString = full[i];
        if constexpr (std::is_same_v<T, TMoji2>)
            withoutString.Text = {};
        EXPECT_TRUE(same(cut[i], full[i]) || same(cut[i], withoutString) || same(cut[i], T{})) << what << " " << i;
    }
}

void ExpectDosRecordsPrefix(const auto& cut, const auto& full)
{
    ExpectTablePrefix(cut.Lines, full.Lines, [](const TSen2& a, const TSen2& b) { return a.Bytes == b.Bytes; },
                      "line");
    ExpectTablePrefix(cut.Arcs, full.Arcs, SameArc, "arc");
    ExpectTablePrefix(cut.Points, full.Points, SamePoint, "point");
    ExpectTablePrefix(cut.Texts, full.Texts, SameText, "text");
}

void ExpectHeaderLinesPrefix(const std::vector<std::string>& cut, const std::vector<std::string>& full)
{
    ASSERT_LE(cut.size(), full.size());
    for (std::size_t i = 0; i < cut.size(); ++i)
        EXPECT_TRUE(PrefixOf(cut[i], full[i])) << "header line " << i;
}

// Texts everywhere a drawing can hold them, all different, so that a text out
// of place cannot hide behind an equal one.
std::string EveryRecordZvc()
{
    dw::ZvcDocument doc = dw::NewZvc(true);
    doc.Line1.Text1 = "header one";
    doc.Line1.Text2 = "\x90\x7D\x96\xCA two";
    doc.Lines.emplace_back().Bytes.fill(0x11);
    doc.Lines.emplace_back().Bytes.fill(0x22);
    auto& arc = doc.Arcs.emplace_back();
    arc.Value1 = 5;
    arc.Ratio = 2500;
    arc.Fixed1 = 3 * 65536 / 2;
    dw::AddZvcText(doc, "first text").Values = {1, 2, 3, 4};
    dw::AddZvcText(doc, "\x95\xB6\x8E\x9A second").Attr = {1, 2, 3, 4};
    dw::AddZvcText(doc, "third");
    doc.Points.push_back({1, 2, 3});
    doc.Points.push_back({4, 5, 6});
    for (std::size_t l = 0; l < 256; l += 7)
        doc.LayerNames[l] = "LY" + std::to_string(l);
    doc.GroupNames[0] = "group zero";
    doc.GroupNames[9] = "group nine";
    dw::SyncZvcHeader(doc);
    return dw::WriteZvc(doc);
}

std::string EveryRecordZvk()
{
    dw::ZvkDocument doc = dw::NewZvk();
    doc.Line1.Text1 = "symbol one";
    doc.Line1.Text2 = "symbol two";
    doc.Lines.emplace_back().Bytes.fill(0x33);
    auto& arc = doc.Arcs.emplace_back();
    arc.Fixed3 = -65536;
    doc.Points.push_back({7, 8, 9});
    dw::AddZvkText(doc, "first symbol text");
    dw::AddZvkText(doc, "\x83\x65\x83\x4C\x83\x58\x83\x67");
    dw::SyncZvkHeader(doc);
    return dw::WriteZvk(doc);
}

TEST(CutAtEveryOffset, DrawingFileOfTheDosEdition)
{
    CheckEveryCut<ZvcReader>(EveryRecordZvc(), ParseZvcBytes, ListZvc, [](const ZvcReader& cut, const ZvcReader& full) {
        ExpectHeaderLinesPrefix(cut.HeaderLines, full.HeaderLines);
        EXPECT_TRUE(PrefixOf(cut.Header.Text1, full.Header.Text1));
        EXPECT_TRUE(PrefixOf(cut.Header.Text2, full.Header.Text2));
        ASSERT_LE(cut.LayerGroups.size(), full.LayerGroups.size());
        for (std::size_t g = 0; g < cut.LayerGroups.size(); ++g)
            EXPECT_TRUE(PrefixOf(cut.LayerGroups[g].Name, full.LayerGroups[g].Name)) << "group " << g;
        ASSERT_LE(cut.Layers.size(), full.Layers.size());
        for (std::size_t l = 0; l < cut.Layers.size(); ++l)
            EXPECT_TRUE(PrefixOf(cut.Layers[l].Name, full.Layers[l].Name)) << "layer " << l;
        ExpectDosRecordsPrefix(cut, full);
    });
}

// Keeping the texts alone, every prefix, a window at a time, ends where and
// why the full parse of it ends and lists the same lines, for the layouts
// before and after versions 351 and 420; and no record is kept.
TEST(CutAtEveryOffset, TextsKeptAloneListAsEveryRecordKept)
{
    const auto noRecords = [](const auto& textsOnly, const auto&) {
        const TEntityTables& e = textsOnly.Entities;
        return e.Order.empty() && e.Moji.empty() && e.Sunpo.empty() && e.Sen.empty() && e.Ten.empty();
    };
    CheckEveryCutWindowed<ZvwReader>(EveryRecordZvw(), ParseZvwBytes, ParseZvwTextsStream, ListZvw, noRecords);
    for (const std::int32_t version : {300, 420})
        CheckEveryCutWindowed<ZvsReader>(EveryRecordZvs(version), ParseZvsBytes, ParseZvsTextsStream, ListZvs,
                                         noRecords);
}

TEST(CutAtEveryOffset, EveryFormatReadAWindowAtATime)
{
    const auto sameEntities = [](const auto& a, const auto& b) { return a.Entities == b.Entities; };
    CheckEveryCutWindowed<ZvwReader>(EveryRecordZvw(), ParseZvwBytes, ParseZvwStream, ListZvw, sameEntities);
    CheckEveryCutWindowed<ZvsReader>(EveryRecordZvs(), ParseZvsBytes, ParseZvsStream, ListZvs, sameEntities);
    const auto sameRecords = [](const auto& a, const auto& b) {
        const auto same = [](const auto& x, const auto& y, auto eq) {
            return std::equal(x.begin(), x.end(), y.begin(), y.end(), eq);
        };
        return same(a.Lines, b.Lines, [](const TSen2& x, const TSen2& y) { return x.Bytes == y.Bytes; }) &&
               same(a.Arcs, b.Arcs, SameArc) && same(a.Points, b.Points, SamePoint) &&
               same(a.Texts, b.Texts, SameText);
    };
    CheckEveryCutWindowed<ZvcReader>(EveryRecordZvc(), ParseZvcBytes, ParseZvcStream, ListZvc, sameRecords);
    CheckEveryCutWindowed<ZvkReader>(EveryRecordZvk(), ParseZvkBytes, ParseZvkStream, ListZvk, sameRecords);
}

TEST(CutAtEveryOffset, SymbolFileOfTheDosEdition)
{
    CheckEveryCut<ZvkReader>(EveryRecordZvk(), ParseZvkBytes, ListZvk, [](const ZvkReader& cut, const ZvkReader& full) {
        ExpectHeaderLinesPrefix(cut.HeaderLines, full.HeaderLines);
        EXPECT_TRUE(PrefixOf(cut.Header.Text1, full.Header.Text1));
        EXPECT_TRUE(PrefixOf(cut.Header.Text2, full.Header.Text2));
        ExpectDosRecordsPrefix(cut, full);
    });
}

// --- Salvage -------------------------------------------------------------------

// Lines of a listing, those a salvage reading found after the others.
class SalvageSink final : public LineSink {
public:
    void Clear() override { *this = SalvageSink(); }
    void SetKind(LineKind kind, std::int32_t) override { heading_ = kind == LineKind::Heading; }
    void StartSalvaged() override { salvaging_ = true; }
    [[nodiscard]] bool Append(std::string_view line) override
    {
        All.emplace_back(line);
        if (salvaging_ && !heading_)
            Salvaged.emplace_back(line);
        return true;
    }
    Lines All;
    Lines Salvaged;  // headings left out

private:
    bool heading_ = false;
    bool salvaging_ = false;
};

constexpr ListingOptions kSalvaging{true, true, true, true};

// Reads `bytes` both ways and checks what salvage may change: nothing of the
// ordinary reading, and no line but those of `whole`. How many lines it
// salvaged.
std::size_t CheckSalvage(const std::string& name, std::string_view bytes, const std::set<std::string>& whole)
{
    Readers ordinary;
    const Detection plain = DetectAndParseBytes(ordinary, name, bytes, RecordsKept::TextsOnly);
    VectorSink plainListing;
    EXPECT_TRUE(ListFormat(plain.Kind, ordinary, kSalvaging, plainListing));

    Readers salvaging;
    const Detection salvage = DetectAndParseBytes(salvaging, name, bytes, RecordsKept::TextsOnly, ReadMode::Salvage);
    EXPECT_EQ(salvage.Kind, plain.Kind);
    EXPECT_EQ(salvage.Outcome, plain.Outcome);
    VectorSink withoutOption;
    EXPECT_TRUE(ListFormat(salvage.Kind, salvaging, kEveryOption, withoutOption));
    EXPECT_EQ(withoutOption.Lines, plainListing.Lines);
    SalvageSink listing;
    EXPECT_TRUE(ListFormat(salvage.Kind, salvaging, kSalvaging, listing));
    const auto ordinaryLines = static_cast<std::ptrdiff_t>(std::min(listing.All.size(), plainListing.Lines.size()));
    EXPECT_EQ(Lines(listing.All.begin(), listing.All.begin() + ordinaryLines), plainListing.Lines);
    for (const std::string& line : listing.Salvaged)
        EXPECT_TRUE(whole.contains(line)) << "salvaged \"" << line << "\", which the whole file does not hold";
    if (const SalvageResult* salvaged = SalvageOf(salvage.Kind, salvaging)) {
        for (const SkippedPlace& place : salvaged->Skipped)
            EXPECT_TRUE(place.From <= place.To && place.To <= bytes.size());
    }
    return listing.Salvaged.size();
}

struct Damaged {
    std::string Name;
    std::string Bytes;
};

std::vector<Damaged> EveryRecordFiles()
{
    return {{"all.zvw", EveryRecordZvw()}, {"all.zvs", EveryRecordZvs()}, {"all.zvc", EveryRecordZvc()},
            {"all.zvk", EveryRecordZvk()}};
}

std::set<std::string> WholeLines(const Damaged& file)
{
    Readers readers;
    const Detection detection = DetectAndParseBytes(readers, file.Name, file.Bytes);
    VectorSink listing;
    EXPECT_TRUE(ListFormat(detection.Kind, readers, kEveryOption, listing));
    return {listing.Lines.begin(), listing.Lines.end()};
}

TEST(CutAtEveryOffset, ReadWithSalvageAddsOnlyLinesOfTheWholeFile)
{
    for (const Damaged& file : EveryRecordFiles()) {
        const std::set<std::string> whole = WholeLines(file);
        for (std::size_t size = 0; size < file.Bytes.size() && !::testing::Test::HasFailure(); ++size) {
            SCOPED_TRACE(file.Name + " cut at " + std::to_string(size));
            (void)CheckSalvage(file.Name, std::string_view(file.Bytes).substr(0, size), whole);
        }
    }
}

// A run cut out at every fifth offset (a stride prime to every record's
// size): the damage a salvage reading is for. It must find texts beyond
// many of these places. (The MS-DOS files are given texts enough to tell
// where bytes are missing.)
TEST(CutAtEveryOffset, ARunCutOutSalvagesOnlyLinesOfTheWholeFile)
{
    std::vector<Damaged> files = EveryRecordFiles();
    dw::ZvcDocument zvc = dw::NewZvc(false);
    dw::ZvkDocument zvk = dw::NewZvk();
    for (int i = 0; i < 12; ++i) {
        dw::AddZvcText(zvc, "drawing text " + std::to_string(i));
        dw::AddZvkText(zvk, "symbol text " + std::to_string(i));
    }
    dw::SyncZvcHeader(zvc);
    dw::SyncZvkHeader(zvk);
    files[2].Bytes = dw::WriteZvc(zvc);
    files[3].Bytes = dw::WriteZvk(zvk);
    for (const Damaged& file : files) {
        const std::set<std::string> whole = WholeLines(file);
        std::size_t salvaged = 0;
        for (std::size_t at = 0; at + 7 < file.Bytes.size() && !::testing::Test::HasFailure(); at += 5) {
            SCOPED_TRACE(file.Name + " cut out at " + std::to_string(at));
            std::string cut = file.Bytes;
            cut.erase(at, 7);
            salvaged += CheckSalvage(file.Name, cut, whole);
        }
        EXPECT_GT(salvaged, file.Bytes.size() / 80) << file.Name;
    }
}

}  // namespace
}  // namespace vaveze
