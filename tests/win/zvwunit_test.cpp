// Drawing file reader: header versions, entity lists, block definitions,
// cut-off and hostile files.
#include <gtest/gtest.h>

#include "core/readers/win/zvwunit.h"
#include "tests/win/zvw_writer.h"

namespace vaveze {
namespace {

using namespace winwriter;

std::vector<std::string> Texts(const TEntityTables& tables)
{
    std::vector<std::string> out;
    for (const TEntMoji& m : tables.Moji)
        out.emplace_back(m.Text);
    return out;
}

std::vector<std::string> DimensionTexts(const TEntityTables& tables)
{
    std::vector<std::string> out;
    for (const TEntSunpo& s : tables.Sunpo)
        out.emplace_back(s.Moji.Text);
    return out;
}

// A drawing with something of everything, for the given version.
ZvwDocument RichDrawing(std::int32_t version)
{
    ZvwDocument doc;
    doc.Version = version;
    doc.Header.Memo = "memo";
    doc.Header.Block7[13] = 77;
    doc.Header.Block19I3 = {5, 6};
    doc.Group(0).Name = "G0";
    doc.Group(15).Name = "G15";
    doc.Layer(0, 0).Name = "L0";
    doc.Layer(1, 0).Name = "L16";
    doc.Layer(15, 15).Name = std::string(300, 'z');
    doc.Color(256).Name = "C256";
    doc.LineType(32).Name = "T32";

    TEntTen point;
    point.Attr.AttrB = 100;
    point.ExtD = {1, 2};
    TEntSolid solid;
    solid.Attr.AttrC = 10;
    solid.Extra = 42;
    TEntSunpo dim = MakeSunpo("100");
    dim.Points[1].Attr.AttrB = 100;
    doc.Entities.Add(MakeSen(0, 0, 1, 1))
        .Add(MakeMoji("T1", "first"))
        .Add(TEntEnko{})
        .Add(point)
        .Add(MakeMoji("T2"), TagForm::LongRef)
        .Add(dim)
        .Add(solid)
        .Add(TEntBlock{})
        .Add(MakeSen(1, 1, 2, 2), TagForm::ShortRef);

    EntityList inner;
    inner.Add(MakeMoji("BT1")).Add(MakeSunpo("B100")).Add(TEntBlock{});
    doc.BlockDefs.Defs.push_back(MakeBlockDef("B1", inner));
    BlockDefItem second = MakeBlockDef("B2");
    second.Value3 = 0x80000001u;
    second.Entities.Add(MakeMoji("BT2"));
    doc.BlockDefs.Defs.push_back(second);
    return doc;
}

// --- Header versions ---------------------------------------------------------------

struct VersionCase {
    std::int32_t version;
    std::size_t headerBytes;  // with an empty memo and empty names
};

void PrintTo(const VersionCase& c, std::ostream* os) { *os << "version " << c.version; }

class ZvwVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ZvwVersionTest, HeaderSizeAndRoundTrip)
{
    const std::int32_t version = GetParam().version;
    ZvwDocument empty;
    empty.Version = version;
    ArchiveWriter header;
    WriteZvwHeader(header, empty);
    EXPECT_EQ(header.Size(), GetParam().headerBytes);

    // Exactly the header, an empty list and no block definitions: complete,
    // and one byte less is not.
    std::string bytes = WriteZvw(empty);
    ASSERT_EQ(bytes.size(), GetParam().headerBytes + 4 + (version >= 700 ? 4 : 0));
    ZvwReader r;
    EXPECT_TRUE(ParseZvwBytes(r, bytes));
    if (version >= 700)
        bytes.resize(bytes.size() - 4);  // the embedded-file section is never read
    EXPECT_TRUE(ParseZvwBytes(r, bytes));
    bytes.pop_back();
    EXPECT_FALSE(ParseZvwBytes(r, bytes));

    // A drawing with every kind of content comes back as written.
    const ZvwDocument doc = RichDrawing(version);
    ASSERT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.Header.FileVersion, version);
    EXPECT_EQ(r.Header.Memo, "memo");
    EXPECT_EQ(r.Header.Block7[13], 77);
    EXPECT_EQ(r.LayerGroups[15].Name, "G15");
    EXPECT_EQ(r.Layers[16].Name, "L16");  // the 17th name is layer 0 of group 1
    EXPECT_EQ(r.Layers[255].Name, std::string(300, 'z'));
    const bool extended = version >= 420;
    EXPECT_EQ(r.Colors[256].Name, extended ? "C256" : "");
    EXPECT_EQ(r.LineTypes[32].Name, extended ? "T32" : "");
    EXPECT_EQ(r.Header.Block19I3, (version >= 230 ? std::array<std::int32_t, 2>{5, 6} : std::array<std::int32_t, 2>{}));
    EXPECT_EQ(r.Entities, StoredTables(doc.Entities, version));
    EXPECT_EQ(r.Header.EntityCount, 9);
    ASSERT_EQ(r.BlockDefs.Defs.size(), 2u);
    EXPECT_EQ(r.BlockDefs.Defs[0].Entities, StoredTables(doc.BlockDefs.Defs[0].Entities, version));
    EXPECT_EQ(Texts(r.BlockDefs.Defs[1].Entities), (std::vector<std::string>{"BT2"}));

    // The texts live in the reader's own pool, not in the parsed bytes, and
    // go with the reader when it moves.
    const ZvwReader moved = std::move(r);
    EXPECT_EQ(moved.Entities, StoredTables(doc.Entities, version));
}

INSTANTIATE_TEST_SUITE_P(Versions, ZvwVersionTest,
                         ::testing::Values(VersionCase{220, 4037}, VersionCase{221, 3993}, VersionCase{223, 4097},
                                           VersionCase{225, 4129}, VersionCase{229, 3993}, VersionCase{230, 4137},
                                           VersionCase{231, 4337}, VersionCase{300, 4337}, VersionCase{350, 4337},
                                           VersionCase{351, 4337}, VersionCase{419, 4337}, VersionCase{420, 14095},
                                           VersionCase{700, 14095}),
                         [](const auto& info) { return "v" + std::to_string(info.param.version); });

TEST(ZvwHeader, EveryNumericFieldRoundTrips)
{
    ZvwDocument doc;
    doc.Version = 700;
    // Distinct values everywhere, so a field read from the wrong place shows.
    int n = 1;
    auto fill = [&n](auto& array) {
        for (auto& v : array)
            v = static_cast<std::decay_t<decltype(v)>>(n++);
    };
    TZvwHeader& h = doc.Header;
    h.Value4 = n++;
    h.Value5 = n++;
    fill(h.Block7), fill(h.Block8), fill(h.Block9D1), fill(h.Block9I), fill(h.Block9D2);
    fill(h.Block12D1), fill(h.Block12D3), fill(h.Block13D), fill(h.Block14A), fill(h.Block14B);
    fill(h.Block14C), fill(h.Block14I), fill(h.Block14TailD1), fill(h.Block14TailD2), fill(h.Block15D);
    fill(h.Block19I), fill(h.Block19I2), fill(h.Block19D), fill(h.Block19D2), fill(h.Block19I3);
    fill(h.Block22D1), fill(h.Block22I1), fill(h.Block22D2), fill(h.Block22D3);
    h.Block12I = n++, h.Block12D2 = n++, h.Block13I = n++, h.Block14TailI1 = n++, h.Block14TailI2 = n++;
    h.Block15E = n++, h.Block22I2 = n++;
    for (std::size_t g = 0; g < 16; ++g)
        doc.Group(g) = TLayerGroup{n++, n++, double(n++), n++, "g" + std::to_string(g)};
    for (std::size_t l = 0; l < 256; ++l)
        doc.Layer(l / 16, l % 16) = TLayer{n++, n++, "l" + std::to_string(l)};
    for (std::size_t c = 0; c < 257; ++c)
        doc.Color(c) = TColorExNo{n++, n++, "c" + std::to_string(c), n++, n++, double(n++)};
    for (std::size_t t = 0; t < 33; ++t) {
        doc.LineType(t).Name = "t" + std::to_string(t);
        fill(doc.LineType(t).V), fill(doc.LineType(t).D);
        doc.LineType(t).V5 = n++;
    }
    doc.Table10.resize(10), doc.Table8.resize(8), doc.Table5.resize(5), doc.Table4.resize(4);
    doc.LastTable.resize(10);
    for (auto& e : doc.Table10)
        fill(e.V), e.D = n++;
    for (auto& e : doc.Table8)
        fill(e);
    for (auto& e : doc.Table5)
        fill(e);
    for (auto& e : doc.Table4)
        fill(e);
    for (auto& e : doc.LastTable)
        fill(e.D), e.V = n++;

    ZvwReader r;
    ASSERT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    TZvwHeader expected = h;
    expected.Magic = "ZvwData.";
    expected.FileVersion = 700;
    EXPECT_EQ(r.Header, expected);
    EXPECT_EQ(r.LayerGroups, doc.LayerGroups);
    EXPECT_EQ(r.Layers, doc.Layers);
    EXPECT_EQ(r.Colors, doc.Colors);
    EXPECT_EQ(r.LineTypes, doc.LineTypes);
    EXPECT_EQ(r.Table10, doc.Table10);
    EXPECT_EQ(r.Table8, doc.Table8);
    EXPECT_EQ(r.Table5, doc.Table5);
    EXPECT_EQ(r.Table4, doc.Table4);
    EXPECT_EQ(r.LastTable, doc.LastTable);
}

TEST(ZvwHeader, OldFilesKeepTheDefaultsTheyDoNotCarry)
{
    ZvwDocument doc;
    doc.Version = 230;
    doc.Header.Block14A.fill(7.0);
    doc.Header.Block12D3 = {3, 4};  // not in a file of 230
    ZvwReader r;
    ASSERT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.Header.Block14A, (std::array<double, 8>{7, 7, 7, 7, 1, 1, 1, 1}));
    EXPECT_EQ(r.Header.Block14I, (std::array<std::int32_t, 8>{-1, -1, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(r.Header.Block12D3, (std::array<double, 2>{}));

    // From 231 the two extra doubles are in the file but kept only from 300.
    doc.Version = 299;
    ASSERT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.Header.Block12D3, (std::array<double, 2>{}));
    doc.Version = 300;
    ASSERT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.Header.Block12D3, (std::array<double, 2>{3, 4}));
}

TEST(ZvwHeader, ResetDefaults)
{
    ZvwReader r;
    r.Header.Block9D1.fill(5);
    r.Entities.Moji.emplace_back();
    ResetZvw(r);
    EXPECT_EQ(r.Header.Block9D1, (std::array<double, 3>{0, 0, 1}));
    EXPECT_EQ(r.Header.Block9D2, (std::array<double, 5>{1, 1, 1, 0, 0}));
    EXPECT_EQ(r.Header.Block13D, (std::array<double, 6>{1, 0, 0, 1, 0, 0}));
    EXPECT_TRUE(r.Entities.Moji.empty());
    EXPECT_TRUE(r.Layers.empty());
}

TEST(ZvwHeader, TooOldVersionStopsAfterTheVersion)
{
    ZvwDocument doc = RichDrawing(219);
    ZvwReader r;
    EXPECT_FALSE(ParseZvwBytes(r, WriteZvw(doc) + std::string(5000, '\x01')));
    EXPECT_EQ(r.Header.Magic, "ZvwData.");
    EXPECT_EQ(r.Header.FileVersion, 219);
    EXPECT_EQ(r.Header.Memo, "");
    EXPECT_EQ(r.LayerGroups.size(), 16u);
    EXPECT_EQ(r.Colors.size(), 257u);
    EXPECT_TRUE(r.Entities.Moji.empty());
}

// --- Cut-off files -------------------------------------------------------------------

// Whatever the cut, the parse fails cleanly and what it kept is a prefix of
// the complete drawing.
TEST(ZvwCut, EveryPrefixFailsAndKeepsAPrefix)
{
    const ZvwDocument doc = RichDrawing(700);
    const std::string bytes = WriteZvw(doc);
    ZvwReader full;
    ASSERT_TRUE(ParseZvwBytes(full, bytes));
    const std::size_t end = bytes.size() - 4;  // the embedded-file count is not read

    ZvwReader r;
    for (std::size_t cut = 0; cut < end; ++cut) {
        ASSERT_FALSE(ParseZvwBytes(r, std::string_view(bytes).substr(0, cut))) << cut;
        const auto texts = Texts(r.Entities);
        ASSERT_LE(texts.size(), 2u);
        for (std::size_t i = 0; i < texts.size(); ++i)
            ASSERT_TRUE(texts[i].empty() || texts[i] == Texts(full.Entities)[i]) << cut;
        ASSERT_LE(r.BlockDefs.Defs.size(), 2u);
        for (std::size_t i = 0; i < r.BlockDefs.Defs.size(); ++i) {
            const std::string& name = r.BlockDefs.Defs[i].Name;
            ASSERT_TRUE(name.empty() || name == full.BlockDefs.Defs[i].Name) << cut;
        }
    }
}

TEST(ZvwCut, RecordsCutShortLeaveTheirEntries)
{
    ZvwDocument doc;
    doc.Version = 420;
    TEntMoji third = MakeMoji("third", "first3");
    third.D1 = {1, 2, 3, 4};
    doc.Entities.Add(MakeMoji("one")).Add(MakeMoji("two")).Add(third).Add(MakeSunpo("dim"));
    const std::string bytes = WriteZvw(doc);
    ArchiveWriter head;
    WriteZvwHeader(head, doc);
    ZvwReader r;

    // Inside the numbers of the third text: three entries, the third empty.
    const std::size_t thirdStart = bytes.find("two") + 3 + 2;  // its tag is a short reference
    ASSERT_FALSE(ParseZvwBytes(r, std::string_view(bytes).substr(0, thirdStart + 20)));
    ASSERT_EQ(r.Entities.Moji.size(), 3u);
    EXPECT_EQ(r.Entities.Moji[2], TEntMoji{});
    EXPECT_EQ(r.Entities.Order[2], TOrderEntry{});

    // Inside the text string: numbers and the first string stay.
    ASSERT_FALSE(ParseZvwBytes(r, std::string_view(bytes).substr(0, bytes.find("third") + 2)));
    ASSERT_EQ(r.Entities.Moji.size(), 3u);
    EXPECT_EQ(r.Entities.Moji[2].D1, third.D1);
    EXPECT_EQ(r.Entities.Moji[2].FirstString, "first3");
    EXPECT_EQ(r.Entities.Moji[2].Text, "");

    // Inside the first string: numbers only.
    ASSERT_FALSE(ParseZvwBytes(r, std::string_view(bytes).substr(0, bytes.find("first3") + 2)));
    EXPECT_EQ(r.Entities.Moji[2].D1, third.D1);
    EXPECT_EQ(r.Entities.Moji[2].FirstString, "");

    // A dimension cut in its extension keeps nothing, not even its text.
    ASSERT_FALSE(ParseZvwBytes(r, std::string_view(bytes).substr(0, bytes.size() - 10)));
    ASSERT_EQ(r.Entities.Sunpo.size(), 1u);
    EXPECT_EQ(r.Entities.Sunpo[0], TEntSunpo{});
    EXPECT_EQ(r.Entities.Moji.size(), 3u);
}

TEST(ZvwCut, InsideHeaderNamesKeepsNamesReadSoFar)
{
    ZvwDocument doc;
    doc.Version = 420;
    for (std::size_t l = 0; l < 256; ++l)
        doc.Layer(l / 16, l % 16).Name = "L" + std::to_string(l);
    const std::string bytes = WriteZvw(doc);
    ZvwReader r;
    ASSERT_FALSE(ParseZvwBytes(r, std::string_view(bytes).substr(0, bytes.find("L40") + 1)));
    EXPECT_EQ(r.Layers[39].Name, "L39");
    EXPECT_EQ(r.Layers[40].Name, "");
    EXPECT_EQ(r.Layers.size(), 256u);
}

// --- Entity lists ---------------------------------------------------------------------

TEST(ZvwEntities, OrderListAndTagForms)
{
    ZvwDocument doc;
    doc.Version = 351;
    doc.Entities.Add(MakeSen(0, 0, 1, 0))
        .Add(MakeMoji("a"))
        .Add(MakeSen(1, 0, 2, 0), TagForm::LongRef)
        .Add(MakeMoji("b"), TagForm::NewClass)  // redefined: later references use the new index
        .Add(MakeMoji("c"));
    doc.Entities.EscapeCount = true;
    ZvwReader r;
    ASSERT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.Entities.Order,
              (Table<TOrderEntry>{{1, 0}, {4, 0}, {1, 1}, {4, 1}, {4, 2}}));
    EXPECT_EQ(Texts(r.Entities), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(ZvwEntities, UnknownClassesAreSkippedWithoutReadingData)
{
    ZvwDocument doc;
    doc.Version = 700;
    doc.Entities.AddUnknownClass("CDataFoo").Add(MakeMoji("after")).AddUnknownClass("CDataBar").Add(MakeMoji("x"));
    ZvwReader r;
    ASSERT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(Texts(r.Entities), (std::vector<std::string>{"after", "x"}));
    EXPECT_EQ(r.Entities.Order.size(), 2u);
}

TEST(ZvwEntities, EscapeFormStringsReadLikeShortOnes)
{
    ZvwDocument doc = RichDrawing(700);
    ZvwReader plain;
    ASSERT_TRUE(ParseZvwBytes(plain, WriteZvw(doc)));
    doc.EscapeStrings = true;
    ZvwReader escaped;
    ASSERT_TRUE(ParseZvwBytes(escaped, WriteZvw(doc)));
    EXPECT_EQ(escaped.Header, plain.Header);
    EXPECT_EQ(escaped.Layers, plain.Layers);
    EXPECT_EQ(escaped.Colors, plain.Colors);
    EXPECT_EQ(escaped.Entities, plain.Entities);
    EXPECT_EQ(escaped.BlockDefs.Defs, plain.BlockDefs.Defs);
}

TEST(ZvwEntities, LargeEscapedCount)
{
    ZvwDocument doc;
    doc.Version = 350;
    for (int i = 0; i < 70000; ++i)
        doc.Entities.Add(MakeSen(i, 0, 0, 0));
    doc.Entities.Add(MakeMoji("last"));
    ZvwReader r;
    ASSERT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.Header.EntityCount, 70001);
    EXPECT_EQ(r.Entities.Sen.size(), 70000u);
    EXPECT_EQ(r.Entities.Sen[69999].D[0], 69999.0);
    EXPECT_EQ(Texts(r.Entities), (std::vector<std::string>{"last"}));
}

// --- Block definitions -----------------------------------------------------------------

TEST(ZvwBlocks, ClassesCarryAcrossListsAndDefinitionsTakeIndices)
{
    ZvwDocument doc;
    doc.Version = 420;
    doc.Entities.Add(MakeMoji("top")).Add(MakeSunpo("d"));
    EntityList first;
    first.Add(MakeMoji("in1"), TagForm::ShortRef).Add(TEntBlock{}).Add(MakeMoji("in2"));
    EntityList second;
    second.Add(TEntBlock{}, TagForm::LongRef).Add(MakeSunpo("d2"), TagForm::ShortRef);
    doc.BlockDefs.Defs = {MakeBlockDef("A", first), MakeBlockDef("B", second), MakeBlockDef("", {})};
    doc.BlockDefs.Defs[1].Tag = TagForm::LongRef;
    ZvwReader r;
    ASSERT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    ASSERT_EQ(r.BlockDefs.Defs.size(), 3u);
    EXPECT_EQ(r.BlockDefs.Count, 3);
    EXPECT_EQ(r.BlockDefs.TableSize, 3);
    EXPECT_EQ(r.Header.BlockDefCount, 3);
    EXPECT_EQ(Texts(r.BlockDefs.Defs[0].Entities), (std::vector<std::string>{"in1", "in2"}));
    EXPECT_EQ(r.BlockDefs.Defs[1].Entities.Block.size(), 1u);
    EXPECT_EQ(DimensionTexts(r.BlockDefs.Defs[1].Entities), (std::vector<std::string>{"d2"}));
    EXPECT_EQ(r.BlockDefs.Defs[2].EntityCount, 0);
}

TEST(ZvwBlocks, TopBitThirdValueHasEightExtraBytes)
{
    ZvwDocument doc;
    doc.Version = 700;
    doc.BlockDefs.Defs = {MakeBlockDef("one"), MakeBlockDef("two"), MakeBlockDef("three"), MakeBlockDef("four")};
    doc.BlockDefs.Defs[0].Value3 = 0x80000001u;
    doc.BlockDefs.Defs[0].Extra = "EXTRABYT";
    doc.BlockDefs.Defs[1].Value3 = 0x7FFFFFFFu;
    doc.BlockDefs.Defs[2].Value3 = 0xFFFFFFFFu;
    doc.BlockDefs.Defs[3].Value3 = 0x80000000u;
    ZvwReader r;
    ASSERT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    ASSERT_EQ(r.BlockDefs.Defs.size(), 4u);
    EXPECT_EQ(r.BlockDefs.Defs[0].Value3, 1);
    EXPECT_EQ(r.BlockDefs.Defs[0].Name, "one");
    EXPECT_EQ(r.BlockDefs.Defs[1].Value3, 0x7FFFFFFF);
    EXPECT_EQ(r.BlockDefs.Defs[2].Value3, 3);
    EXPECT_EQ(r.BlockDefs.Defs[2].Name, "three");
    EXPECT_EQ(r.BlockDefs.Defs[3].Value3, 4);
    EXPECT_EQ(r.BlockDefs.Defs[3].Name, "four");
}

TEST(ZvwBlocks, CutInsideTheSecondOfThree)
{
    ZvwDocument doc;
    doc.Version = 700;
    for (const char* name : {"first", "second", "third"}) {
        EntityList list;
        list.Add(MakeMoji(std::string(name) + "-text")).Add(MakeMoji(std::string(name) + "-more"));
        doc.BlockDefs.Defs.push_back(MakeBlockDef(name, list));
    }
    const std::string bytes = WriteZvw(doc);
    ZvwReader r;
    ASSERT_FALSE(ParseZvwBytes(r, std::string_view(bytes).substr(0, bytes.find("second-more") + 3)));
    EXPECT_EQ(r.BlockDefs.Count, 3);
    EXPECT_EQ(r.BlockDefs.TableSize, 3);
    ASSERT_EQ(r.BlockDefs.Defs.size(), 2u);
    EXPECT_EQ(Texts(r.BlockDefs.Defs[0].Entities), (std::vector<std::string>{"first-text", "first-more"}));
    EXPECT_EQ(r.BlockDefs.Defs[1].Name, "second");
    EXPECT_EQ(Texts(r.BlockDefs.Defs[1].Entities), (std::vector<std::string>{"second-text", ""}));
}

TEST(ZvwBlocks, EmbeddedFilesAndTrailingBytesAreIgnored)
{
    ZvwDocument doc = RichDrawing(700);
    doc.EmbeddedFiles = {{"a.bmp", std::string(1000, '\x7F')}, {"b.txt", "hello"}};
    doc.Trailer = std::string(64, '\xFF');
    ZvwReader r;
    EXPECT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.BlockDefs.Defs.size(), 2u);

    doc = RichDrawing(420);
    doc.Trailer = "garbage";
    EXPECT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));

    doc.BlockDefs.Defs.clear();
    EXPECT_TRUE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.BlockDefs.Count, 0);
    EXPECT_TRUE(r.BlockDefs.Defs.empty());
}

// --- Hostile counts -----------------------------------------------------------------------

TEST(ZvwHostile, CountsBeyondTheFileEndTheParse)
{
    ZvwReader r;
    ZvwDocument doc;
    doc.Version = 420;
    doc.Entities.DeclaredCount = 0x7FFFFFFF;
    EXPECT_FALSE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.Header.EntityCount, 0x7FFFFFFF);
    EXPECT_TRUE(r.Entities.Order.empty());

    doc.Entities.DeclaredCount = -5;
    EXPECT_FALSE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.Header.EntityCount, -5);

    // A block definition count that no file could hold is stored, but the
    // table is never sized.
    doc = ZvwDocument{};
    doc.Version = 420;
    doc.Entities.Add(MakeMoji("kept"));
    doc.BlockDefs.DeclaredCount = 2000000000;
    doc.BlockDefs.Defs.push_back(MakeBlockDef("x"));
    EXPECT_FALSE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(Texts(r.Entities), (std::vector<std::string>{"kept"}));
    EXPECT_EQ(r.BlockDefs.Count, 2000000000);
    EXPECT_EQ(r.Header.BlockDefCount, 2000000000);
    EXPECT_EQ(r.BlockDefs.TableSize, 0);
    EXPECT_TRUE(r.BlockDefs.Defs.empty());

    doc.BlockDefs.DeclaredCount = -1;
    EXPECT_FALSE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.BlockDefs.Count, -1);
    EXPECT_EQ(r.BlockDefs.TableSize, 0);

    // Within the file's size the table is sized, and the definitions never
    // reached stay empty without being made.
    doc.BlockDefs.DeclaredCount = 1000;
    EXPECT_FALSE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(r.BlockDefs.TableSize, 1000);
    EXPECT_EQ(r.BlockDefs.Defs.size(), 1u);

    doc.BlockDefs.DeclaredCount = 1;
    doc.BlockDefs.Defs[0].Entities.DeclaredCount = 100000000;
    EXPECT_FALSE(ParseZvwBytes(r, WriteZvw(doc)));
    ASSERT_EQ(r.BlockDefs.Defs.size(), 1u);
    EXPECT_EQ(r.BlockDefs.Defs[0].EntityCount, 100000000);
    EXPECT_TRUE(r.BlockDefs.Defs[0].Entities.Order.empty());
}

TEST(ZvwHostile, OverlongClassNameAndRunawayTags)
{
    ZvwDocument doc;
    doc.Version = 420;
    doc.Entities.Add(MakeMoji("kept")).AddUnknownClass(std::string(2049, 'C')).Add(MakeMoji("lost"));
    ZvwReader r;
    EXPECT_FALSE(ParseZvwBytes(r, WriteZvw(doc)));
    EXPECT_EQ(Texts(r.Entities), (std::vector<std::string>{"kept"}));

    // An unknown object's data is taken for tags until the file runs out.
    doc = ZvwDocument{};
    doc.Version = 420;
    doc.Entities.AddUnknownClass("CDataZzz").AddRaw(std::string(4001, '\x11'));
    doc.Entities.DeclaredCount = 1;
    EXPECT_FALSE(ParseZvwBytes(r, WriteZvw(doc)));
}

}  // namespace
}  // namespace vaveze
