#include "core/readers/dos/zvcunit.h"

#include <gtest/gtest.h>

#include "tests/dos/dos_writer.h"

namespace vaveze {
namespace {

using namespace std::literals;
namespace dw = doswriter;

// A drawing with something in every part, each layer and group named.
dw::ZvcDocument RichZvc(bool realScale)
{
    dw::ZvcDocument doc = dw::NewZvc(realScale);
    doc.Line1.Text1 = "\x8E\x9F\x82\xCC\x90\x7D\x96\xCA";  // Shift-JIS
    doc.Line1.Text2 = "  second \x01 text";
    for (std::size_t i = 0; i < 101; ++i) {
        doc.Table101A[i] = 0xA0000000u + static_cast<std::uint32_t>(i);
        doc.Table101B[i] = 0xB0000000u + static_cast<std::uint32_t>(i);
        doc.Table101C[i] = static_cast<std::uint8_t>(i + 1);
    }
    for (std::size_t w = 0; w < 4; ++w)
        for (std::size_t i = 0; i < 11; ++i)
            doc.Words[w][i] = static_cast<std::uint16_t>(0x1000 * (w + 1) + i);
    for (std::size_t g = 0; g < 16; ++g) {
        doc.RealGroupScales[g] = 0.5f + static_cast<float>(g);
        doc.WordGroupScales[g] = static_cast<std::uint16_t>(100 + g);
        doc.GroupByte1[g] = static_cast<std::uint8_t>(g);
        doc.GroupByte2[g] = static_cast<std::uint8_t>(g + 16);
        doc.GroupByte3[g] = static_cast<std::uint8_t>(g + 32);
        doc.GroupNames[g] = "GROUP" + std::to_string(g) + "-1234567890";  // cut to 16
    }
    for (std::size_t l = 0; l < 256; ++l) {
        doc.LayerByte1[l] = static_cast<std::uint8_t>(l);
        doc.LayerByte2[l] = static_cast<std::uint8_t>(255 - l);
        doc.LayerNames[l] = "L" + std::to_string(l);
    }
    auto& line = doc.Lines.emplace_back();
    line.Bytes.fill(0x5A);
    doc.Lines.emplace_back().Bytes[21] = 0x77;
    auto& arc = doc.Arcs.emplace_back();
    arc.Value1 = 7;
    arc.Ratio = 5000;
    arc.Fixed2 = 3 * 65536;
    dw::AddZvcText(doc, "ABC").Values = {1, 2, 3, 4};
    dw::AddZvcText(doc, "\x95\xB6\x8E\x9A").Attr = {9, 8, 7, 6};
    dw::AddZvcText(doc, "z");
    doc.Points.push_back({11, 12, 13});
    doc.Points.push_back({21, 22, 23});
    doc.Trailing = "ignored trailing bytes";
    dw::SyncZvcHeader(doc);
    return doc;
}

std::vector<std::string> TextsOf(const ZvcReader& r)
{
    std::vector<std::string> out;
    for (const auto& t : r.Texts)
        out.emplace_back(t.Text);
    return out;
}

// Offsets of the parts of a drawing that RichZvc-like documents have.
struct ZvcOffsets {
    std::size_t Entities, Arcs, Texts, Pool, Points, LayerNames, GroupNames, End;
};

ZvcOffsets OffsetsOf(const dw::ZvcDocument& doc)
{
    ZvcOffsets o{};
    o.Entities = doc.RealScaleLayout ? 2421 : 2389;
    o.Arcs = o.Entities + 22 * doc.Lines.size();
    o.Texts = o.Arcs + 32 * doc.Arcs.size();
    o.Pool = o.Texts + 24 * doc.Texts.size();
    o.Points = o.Pool + doc.Pool.size();
    o.LayerNames = o.Points + 12 * doc.Points.size();
    o.GroupNames = o.LayerNames + 2048;
    o.End = o.GroupNames + 256;
    return o;
}

void ExpectFixedTablesSizedAndZero(const ZvcReader& r)
{
    ASSERT_EQ(r.HeaderLines.size(), 4u);
    ASSERT_EQ(r.Table101.size(), 101u);
    ASSERT_EQ(r.Words.size(), 12u);
    ASSERT_EQ(r.LayerGroups.size(), 16u);
    ASSERT_EQ(r.Layers.size(), 256u);
    EXPECT_EQ(r.Table101[100].A, 0u);
    EXPECT_EQ(r.Words[0][0], 0u);
    for (const auto& g : r.LayerGroups)
        EXPECT_TRUE(g.Name.empty() && g.Scale == 0.0f && g.Byte1 == 0);
    for (const auto& l : r.Layers)
        EXPECT_TRUE(l.Name.empty() && l.Byte2 == 0);
}

void ExpectDefaultHeader(const TZvcHeader& h)
{
    EXPECT_TRUE(h.RealScale);
    EXPECT_EQ(h.LineCount(), 0);
    EXPECT_EQ(h.TextCount(), 0);
    EXPECT_EQ(h.Line2[5].I, 1);
    EXPECT_EQ(h.Line2[9].F, 1.0f);
    EXPECT_EQ(h.PaperSizeCode(), 3);
    EXPECT_EQ(h.Line2[17].F, 10.0f);
    EXPECT_EQ(h.Line2[26].F, 5.0f);
    EXPECT_EQ(h.Line2[30].I, 518);
    EXPECT_EQ(h.Line3[3].F, 15.0f);
    EXPECT_EQ(h.Line3[9].I, 1);
    EXPECT_EQ(h.Line3[24].F, 100.0f);
    EXPECT_EQ(h.Line3[27].F, 1.0f);
    EXPECT_EQ(h.PoolStart(), 393216);
    EXPECT_EQ(h.PoolEnd(), 393216);
    EXPECT_TRUE(h.Fields.empty());
}

// ------------------------------------------------------------ whole files

TEST(ZvcParse, MagicOnlyKeepsDefaultsAndSizedFixedTables)
{
    ZvcReader r;
    EXPECT_FALSE(ParseZvcBytes(r, kZvcMagic));
    ExpectDefaultHeader(r.Header);
    EXPECT_TRUE(r.Header.Text1.empty());
    ExpectFixedTablesSizedAndZero(r);
    for (const auto& line : r.HeaderLines)
        EXPECT_TRUE(line.empty());
    EXPECT_TRUE(r.Lines.empty() && r.Arcs.empty() && r.Texts.empty() && r.Points.empty());
}

class ZvcLayoutTest : public testing::TestWithParam<bool> {};

TEST_P(ZvcLayoutTest, EveryPartReadBack)
{
    const bool realScale = GetParam();
    const dw::ZvcDocument doc = RichZvc(realScale);
    const std::string bytes = dw::WriteZvc(doc);
    ZvcReader r;
    ASSERT_TRUE(ParseZvcBytes(r, bytes));

    const TZvcHeader& h = r.Header;
    EXPECT_EQ(h.RealScale, realScale);
    EXPECT_EQ(h.TitleBlock, dw::FitTo(dw::ZvcTitleBlock(realScale), 40));
    EXPECT_EQ(h.Text1, dw::FitTo(doc.Line1.Text1, 32));
    EXPECT_EQ(h.Text2, dw::FitTo(doc.Line1.Text2, 32));
    EXPECT_EQ(r.HeaderLines[3], bytes.substr(600, 200));
    EXPECT_EQ(h.LineCount(), 2);
    EXPECT_EQ(h.ArcCount(), 1);
    EXPECT_EQ(h.TextCount(), 3);
    EXPECT_EQ(h.PointCount(), 2);
    EXPECT_EQ(h.PoolSize(), 11);

    EXPECT_EQ(r.Table101[0].A, 0xA0000000u);
    EXPECT_EQ(r.Table101[100].B, 0xB0000064u);
    EXPECT_EQ(r.Table101[100].C, 101u);
    EXPECT_EQ(r.Words[0][0], 0x1000u);
    EXPECT_EQ(r.Words[10][3], 0x400Au);
    EXPECT_EQ(r.Words[11], (std::array<std::uint16_t, 4>{}));  // not in the file
    EXPECT_EQ(r.LayerGroups[15].Scale, realScale ? 15.5f : 115.0f);
    EXPECT_EQ(r.LayerGroups[3].Byte1, 3u);
    EXPECT_EQ(r.LayerGroups[3].Byte2, 19u);
    EXPECT_EQ(r.LayerGroups[3].Byte3, 35u);
    EXPECT_EQ(r.Layers[200].Byte1, 200u);
    EXPECT_EQ(r.Layers[200].Byte2, 55u);

    ASSERT_EQ(r.Lines.size(), 2u);
    EXPECT_EQ(r.Lines[0].Bytes[0], 0x5Au);
    EXPECT_EQ(r.Lines[1].Bytes[21], 0x77u);
    ASSERT_EQ(r.Arcs.size(), 1u);
    EXPECT_EQ(r.Arcs[0].Value1, 7u);
    EXPECT_EQ(r.Arcs[0].Ratio, 0.5f);
    EXPECT_EQ(r.Arcs[0].Real2, 3.0f);
    EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"ABC", "\x95\xB6\x8E\x9A", "z"}));
    EXPECT_EQ(r.Texts[0].Values, (std::array<std::uint32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(r.Texts[1].AttrBytes, (std::array<std::uint8_t, 4>{9, 8, 7, 6}));
    EXPECT_EQ(r.Texts[1].PoolPosition, 0x60004);
    ASSERT_EQ(r.Points.size(), 2u);
    EXPECT_EQ(r.Points[1].Value3, 23u);
    EXPECT_EQ(r.Layers[0].Name, "L0");
    EXPECT_EQ(r.Layers[255].Name, "L255");
    EXPECT_EQ(r.LayerGroups[0].Name, "GROUP0-123456789");
    EXPECT_EQ(r.LayerGroups[15].Name, "GROUP15-12345678");
}

TEST_P(ZvcLayoutTest, LineRecordsStartAfterTheGroupScales)
{
    dw::ZvcDocument doc = dw::NewZvc(GetParam());
    doc.Lines.emplace_back().Bytes.fill(0xEE);
    dw::SyncZvcHeader(doc);
    const std::string bytes = dw::WriteZvc(doc);
    const std::size_t start = GetParam() ? 2421 : 2389;
    EXPECT_EQ(bytes.substr(start - 1, 24), "\0"s + std::string(22, '\xEE') + "\0"s);
}

INSTANTIATE_TEST_SUITE_P(Scales, ZvcLayoutTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "RealScales"s : "WordScales"s;
                         });

TEST(ZvcParse, OnlyLowerCaseFAsCharacter23SelectsRealScales)
{
    for (const char* title : {"zv_cad(c)data.......V2F", "zv_cad(c)data.......Vf2", "zv_cad(c)data.......V2 f"}) {
        dw::ZvcDocument doc = RichZvc(false);
        doc.Line1.TitleBlock = title;
        ZvcReader r;
        ASSERT_TRUE(ParseZvcBytes(r, dw::WriteZvc(doc))) << title;
        EXPECT_FALSE(r.Header.RealScale) << title;
        EXPECT_EQ(TextsOf(r)[0], "ABC") << title;
    }
}

TEST(ZvcParse, StartsEachParseAfresh)
{
    const std::string bytes = dw::WriteZvc(RichZvc(true));
    ZvcReader r;
    ASSERT_TRUE(ParseZvcBytes(r, bytes));
    EXPECT_EQ(r.Texts.size(), 3u);

    EXPECT_FALSE(ParseZvcBytes(r, kZvcMagic));
    EXPECT_TRUE(r.Texts.empty());
    ExpectDefaultHeader(r.Header);

    ASSERT_TRUE(ParseZvcBytes(r, bytes));
    ResetZvc(r);
    EXPECT_TRUE(r.HeaderLines.empty() && r.Layers.empty() && r.Texts.empty() && r.Header.Text1.empty());
    ExpectDefaultHeader(r.Header);
}

// ------------------------------------------------------------ header fields

TEST(ZvcHeader, FieldsConvertedByKindAndMissingOnesZero)
{
    dw::ZvcDocument doc = dw::NewZvc();
    doc.Line2.Fields = {"0", "0", "0", "0", "$1F", " 12", "12 ", "", "1,5", "2.5", "2.5e1", "x10"};
    doc.Line3.Fields = {"-0.125", "1e-50", "3."};
    doc.Line4.Fields = {"6000:0000", "6000:0000", ".5"};
    ZvcReader r;
    ASSERT_TRUE(ParseZvcBytes(r, dw::WriteZvc(doc)));
    const TZvcHeader& h = r.Header;
    EXPECT_EQ(h.Line2[4].I, 31);
    EXPECT_EQ(h.Line2[5].I, 12);
    EXPECT_EQ(h.Line2[6].I, 0);  // trailing space
    EXPECT_EQ(h.Line2[7].I, 0);
    EXPECT_EQ(h.Line2[8].I, 1);  // "1,5" is two fields
    EXPECT_EQ(h.Line2[9].F, 5.0f);
    EXPECT_EQ(h.Line2[10].I, 0);  // not an integer
    EXPECT_EQ(h.PaperSizeCode(), 0);  // "2.5e1"
    EXPECT_EQ(h.Line2[12].I, 16);
    EXPECT_EQ(h.Line2[13].I, 0);  // beyond the line: 0, not the default 1
    EXPECT_EQ(h.Line2[17].F, 0.0f);
    EXPECT_EQ(h.Line2[30].I, 518);
    EXPECT_EQ(h.Line3[0].F, -0.125f);
    EXPECT_EQ(h.Line3[1].F, 0.0f);
    EXPECT_EQ(h.Line3[2].F, 3.0f);
    EXPECT_EQ(h.Line3[27].F, 0.0f);
    EXPECT_EQ(h.Line4[2].F, 0.5f);
    EXPECT_TRUE(h.Fields.empty());
    // Lines 2-4 as written, bit for bit.
    EXPECT_EQ(r.HeaderLines[1], dw::RenderFieldLine(doc.Line2));
}

TEST(ZvcHeader, Field30ZeroMeans518)
{
    for (const auto& [text, expected] : std::vector<std::pair<std::string, std::int32_t>>{
             {"0", 518}, {"", 518}, {"junk", 518}, {"-1", -1}, {"519", 519}}) {
        dw::ZvcDocument doc = dw::NewZvc();
        dw::SetField(doc.Line2, 30, text);
        ZvcReader r;
        ASSERT_TRUE(ParseZvcBytes(r, dw::WriteZvc(doc)));
        EXPECT_EQ(r.Header.Line2[30].I, expected) << text;
    }
}

struct AddressCase {
    std::string field;
    std::int32_t expected;
};

class ZvcPoolAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(ZvcPoolAddressTest, SegmentTimesSixteenPlusOffset)
{
    EXPECT_EQ(ZvcPoolAddress(GetParam().field), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ZvcPoolAddressTest,
    testing::Values(AddressCase{"6000:0010", 0x60010}, AddressCase{"6000-0010", 0x60010},
                    AddressCase{"FFFF:FFFF", 0x10FFEF}, AddressCase{"abcd:ef01", 0xABCD0 + 0xEF01},
                    AddressCase{"6000:0010 and more", 0x60010}, AddressCase{"6000", 0x60000},
                    AddressCase{"60", 0x600}, AddressCase{"", 0}, AddressCase{"6000:00", 0x60000},
                    AddressCase{"6000:\0\0\0\0"s, 0x60000}, AddressCase{"60 0:0010", 0x10},
                    AddressCase{"600G:0010", 0x10}, AddressCase{"-600:0010", 0x10},
                    AddressCase{"$600:0010", 0x10}, AddressCase{"6000:-010", 0x60000}),
    [](const testing::TestParamInfo<AddressCase>& info) { return "Case" + std::to_string(info.index); });

TEST(ZvcHeader, OverflowingRealEndsTheParseKeepingEarlierFields)
{
    dw::ZvcDocument doc = RichZvc(true);
    dw::SetField(doc.Line2, 9, "1e39");
    dw::SetField(doc.Line2, 11, "7");
    ZvcReader r;
    EXPECT_FALSE(ParseZvcBytes(r, dw::WriteZvc(doc)));
    EXPECT_EQ(r.Header.Text1, dw::FitTo(doc.Line1.Text1, 32));
    EXPECT_EQ(r.Header.LineCount(), 2);
    EXPECT_EQ(r.Header.TextCount(), 3);
    EXPECT_EQ(r.Header.Line2[9].F, 1.0f);     // default
    EXPECT_EQ(r.Header.PaperSizeCode(), 3);   // not reached
    EXPECT_EQ(r.Header.Line2[30].I, 518);
    EXPECT_TRUE(r.Header.Fields.empty());
    EXPECT_TRUE(r.Lines.empty() && r.Texts.empty());
    ExpectFixedTablesSizedAndZero(r);
}

TEST(ZvcHeader, OverflowInTheFourthLineKeepsTheOtherLines)
{
    dw::ZvcDocument doc = RichZvc(true);
    dw::SetField(doc.Line3, 0, "-2.5");
    dw::SetField(doc.Line4, 19, "-3.5e38");
    ZvcReader r;
    EXPECT_FALSE(ParseZvcBytes(r, dw::WriteZvc(doc)));
    EXPECT_EQ(r.Header.Line3[0].F, -2.5f);
    EXPECT_EQ(r.Header.Line2[2].I, 3);
    EXPECT_TRUE(r.Texts.empty());

    dw::SetField(doc.Line4, 19, "3.4e38");  // still in range
    EXPECT_TRUE(ParseZvcBytes(r, dw::WriteZvc(doc)));
}

// ------------------------------------------------------------ pool

TEST(ZvcPool, TextsIndexIntoThePoolByLinearAddress)
{
    dw::ZvcDocument doc = dw::NewZvc();
    doc.Pool = "abc\0\x82\xA0\x82\xA2\0xyz-nul"s;  // 16 bytes
    ASSERT_EQ(doc.Pool.size(), 16u);
    const std::vector<std::pair<std::uint16_t, std::uint16_t>> addresses = {
        {0x6000, 0x0000}, {0x6000, 0x0004}, {0x5FFF, 0x0014},  // same byte as 6000:0004
        {0x6000, 0x0009}, {0x6000, 0x000F}, {0x6000, 0x0010},  // end of the pool
        {0x5FFF, 0x000F}, {0x0000, 0x0000}, {0xFFFF, 0xFFFF}};
    for (const auto& [segment, offset] : addresses) {
        auto& t = doc.Texts.emplace_back();
        t.PoolSegment = segment;
        t.PoolOffset = offset;
    }
    doc.Points.push_back({1, 2, 3});
    dw::SyncZvcHeader(doc);
    ASSERT_EQ(doc.Line4.Fields[1], "6001:0000");
    ZvcReader r;
    ASSERT_TRUE(ParseZvcBytes(r, dw::WriteZvc(doc)));
    EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"abc", "\x82\xA0\x82\xA2", "\x82\xA0\x82\xA2", "xyz-nul",
                                                    "l", "", "", "", ""}));
    EXPECT_EQ(r.Points[0].Value3, 3u);
}

TEST(ZvcPool, NoPoolWhenEndIsNotAfterStart)
{
    for (const char* end : {"6000:0000", "5FFF:000F", "", "0000:0000"}) {
        dw::ZvcDocument doc = RichZvc(true);
        doc.Pool.clear();  // the points follow the text records directly
        dw::SyncZvcHeader(doc);
        dw::SetField(doc.Line4, 1, end);
        ZvcReader r;
        ASSERT_TRUE(ParseZvcBytes(r, dw::WriteZvc(doc))) << end;
        EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"", "", ""}));
        EXPECT_EQ(r.Points[1].Value1, 21u);
        EXPECT_EQ(r.Layers[9].Name, "L9");
    }
}

TEST(ZvcPool, PoolAnywhereInTheAddressSpace)
{
    for (std::uint32_t base : {0u, 0x12345u, 0x10FFEFu - 64}) {
        dw::ZvcDocument doc = dw::NewZvc(false);
        doc.PoolBase = base;
        dw::AddZvcText(doc, "first");
        dw::AddZvcText(doc, "second");
        dw::SyncZvcHeader(doc);
        ZvcReader r;
        ASSERT_TRUE(ParseZvcBytes(r, dw::WriteZvc(doc))) << base;
        EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"first", "second"}));
    }
}

TEST(ZvcPool, PoolLongerThanTheRestOfTheFileIsNotRead)
{
    dw::ZvcDocument doc = RichZvc(true);
    dw::SetField(doc.Line4, 1, "FFFF:FFFF");
    ZvcReader r;
    EXPECT_FALSE(ParseZvcBytes(r, dw::WriteZvc(doc)));
    EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(r.Points.size(), 2u);
    EXPECT_EQ(r.Points[0].Value1, 0u);
}

// ------------------------------------------------------------ counts

TEST(ZvcCounts, NegativeCountStopsRightAfterTheHeader)
{
    dw::ZvcDocument doc = RichZvc(true);
    dw::SetField(doc.Line2, 0, "-1");
    ZvcReader r;
    EXPECT_FALSE(ParseZvcBytes(r, dw::WriteZvc(doc)));
    EXPECT_EQ(r.Header.LineCount(), -1);
    EXPECT_EQ(r.Header.Text1, dw::FitTo(doc.Line1.Text1, 32));
    EXPECT_TRUE(r.Lines.empty() && r.Arcs.empty() && r.Texts.empty() && r.Points.empty());
    ExpectFixedTablesSizedAndZero(r);
}

struct CountCase {
    const char* name;
    std::size_t field;
    std::string count;
    std::size_t lines, arcs, texts, points;  // table sizes left behind
};

class ZvcCountTest : public testing::TestWithParam<CountCase> {};

TEST_P(ZvcCountTest, TablesThatCannotFitAreNotSized)
{
    const CountCase& c = GetParam();
    dw::ZvcDocument doc = RichZvc(true);
    dw::SetField(doc.Line2, c.field, c.count);
    const std::string bytes = dw::WriteZvc(doc);
    ZvcReader r;
    EXPECT_FALSE(ParseZvcBytes(r, bytes));
    EXPECT_EQ(r.Lines.size(), c.lines);
    EXPECT_EQ(r.Arcs.size(), c.arcs);
    EXPECT_EQ(r.Texts.size(), c.texts);
    EXPECT_EQ(r.Points.size(), c.points);
    for (const auto& t : r.Texts)
        EXPECT_TRUE(t.Text.empty());
}

// RichZvc writes 4,930 bytes of which 4,130 follow the header.
INSTANTIATE_TEST_SUITE_P(
    Sizes, ZvcCountTest,
    testing::Values(CountCase{"LinesJustTooMany", 0, "188", 0, 0, 0, 0},
                    CountCase{"ArcsHuge", 1, "2147483647", 2, 0, 0, 0},
                    CountCase{"ArcsJustTooMany", 1, "130", 2, 0, 0, 0},
                    CountCase{"TextsJustTooMany", 2, "173", 2, 1, 0, 0},
                    CountCase{"PointsLargerThanTheFile", 3, "4931", 2, 1, 3, 0},
                    CountCase{"PointsNegative", 3, "-5", 2, 1, 3, 0}),
    [](const testing::TestParamInfo<CountCase>& info) { return info.param.name; });

TEST(ZvcCounts, RecordsThatFitAreSizedEvenWhenTheFileIsShorter)
{
    dw::ZvcDocument doc = RichZvc(true);
    ASSERT_EQ(dw::WriteZvc(doc).size(), 4930u);
    dw::SetField(doc.Line2, 1, "129");  // 129 * 32 <= 4130: sized, then the file ends
    dw::SetField(doc.Line2, 0, "187");
    ZvcReader r;
    EXPECT_FALSE(ParseZvcBytes(r, dw::WriteZvc(doc)));
    EXPECT_EQ(r.Lines.size(), 187u);
    EXPECT_EQ(r.Arcs.size(), 129u);
    EXPECT_EQ(r.Texts.size(), 3u);
    EXPECT_EQ(r.Points.size(), 2u);
}

TEST(ZvcCounts, PointsCutOffStillLeaveTheTexts)
{
    dw::ZvcDocument doc = RichZvc(true);
    dw::SetField(doc.Line2, 3, "4000");  // below the file size, far beyond its end
    ZvcReader r;
    EXPECT_FALSE(ParseZvcBytes(r, dw::WriteZvc(doc)));
    EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"ABC", "\x95\xB6\x8E\x9A", "z"}));
    ASSERT_EQ(r.Points.size(), 4000u);
    EXPECT_EQ(r.Points[1].Value1, 21u);
    EXPECT_EQ(r.Layers[0].Name, "");
}

// ------------------------------------------------------------ names

TEST(ZvcNames, SlotsUpToTheFirstNul)
{
    dw::ZvcDocument doc = dw::NewZvc();
    doc.LayerNames[0] = "ABCDEFGH";
    doc.LayerNames[1] = "\0BCDEFGH"s;
    doc.LayerNames[2] = "AB\0DEFGH"s;
    doc.LayerNames[17] = "\x83\x8C\x83\x43\x83\x84";
    doc.GroupNames[0] = "0123456789ABCDEF";
    doc.GroupNames[1] = "\x90\x7D\0junk"s;
    ZvcReader r;
    ASSERT_TRUE(ParseZvcBytes(r, dw::WriteZvc(doc)));
    EXPECT_EQ(r.Layers[0].Name, "ABCDEFGH");
    EXPECT_EQ(r.Layers[1].Name, "");
    EXPECT_EQ(r.Layers[2].Name, "AB");
    EXPECT_EQ(r.Layers[17].Name, "\x83\x8C\x83\x43\x83\x84");
    EXPECT_EQ(r.Layers[255].Name, "");
    EXPECT_EQ(r.LayerGroups[0].Name, "0123456789ABCDEF");
    EXPECT_EQ(r.LayerGroups[1].Name, "\x90\x7D");
}

// ------------------------------------------------------------ cut-off files

class ZvcCutTest : public testing::TestWithParam<bool> {};

TEST_P(ZvcCutTest, EveryShorterFileFailsKeepingWhatWasRead)
{
    dw::ZvcDocument doc = RichZvc(GetParam());
    doc.Trailing.clear();
    const std::string full = dw::WriteZvc(doc);
    const ZvcOffsets o = OffsetsOf(doc);
    ASSERT_EQ(full.size(), o.End);

    ZvcReader r;
    ASSERT_TRUE(ParseZvcBytes(r, full));
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        ASSERT_FALSE(ParseZvcBytes(r, std::string_view(full).substr(0, cut)));
        if (cut < 800) {
            // The header is decoded only once all four lines are in.
            ExpectDefaultHeader(r.Header);
            EXPECT_TRUE(r.Header.Text1.empty());
            EXPECT_TRUE(r.Texts.empty());
            EXPECT_EQ(r.HeaderLines[0].size(), cut >= 200 ? 200u : 0u);
            continue;
        }
        EXPECT_EQ(r.Header.TextCount(), 3);
        EXPECT_EQ(r.Header.RealScale, GetParam());
        // A table is sized only when its records fit behind the header of
        // what is left of the file; the later tables are then not sized.
        const std::size_t room = cut - 800;
        const bool linesSized = room >= 44, arcsSized = linesSized && room >= 32;
        const bool textsSized = arcsSized && room >= 72;
        EXPECT_EQ(r.Lines.size(), linesSized ? 2u : 0u);
        EXPECT_EQ(r.Arcs.size(), arcsSized ? 1u : 0u);
        EXPECT_EQ(r.Points.size(), textsSized ? 2u : 0u);
        ASSERT_EQ(r.Texts.size(), textsSized ? 3u : 0u);
        if (!textsSized) {
            EXPECT_EQ(r.LayerGroups[0].Scale, 0.0f);
            continue;
        }
        EXPECT_EQ(r.Texts[0].Text.empty(), cut < o.Points);
        EXPECT_EQ(r.Lines[1].Bytes[21] == 0x77, cut >= o.Arcs);
        EXPECT_EQ(r.Points[1].Value1 == 21, cut >= o.LayerNames);
        EXPECT_EQ(r.LayerGroups[15].Byte3 == 47, cut >= o.Entities);
        const std::size_t layersNamed = cut < o.LayerNames ? 0 : std::min<std::size_t>(256, (cut - o.LayerNames) / 8);
        const std::size_t groupsNamed = cut < o.GroupNames ? 0 : (cut - o.GroupNames) / 16;
        for (std::size_t l = 0; l < 256; ++l)
            ASSERT_EQ(r.Layers[l].Name.empty(), l >= layersNamed) << l;
        for (std::size_t g = 0; g < 16; ++g)
            ASSERT_EQ(r.LayerGroups[g].Name.empty(), g >= groupsNamed) << g;
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, ZvcCutTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "RealScales"s : "WordScales"s;
                         });

}  // namespace
}  // namespace vaveze
