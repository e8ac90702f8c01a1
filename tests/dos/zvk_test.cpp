#include "core/readers/dos/zvkunit.h"

#include <gtest/gtest.h>

#include "tests/dos/dos_writer.h"

namespace vaveze {
namespace {

using namespace std::literals;
namespace dw = doswriter;

std::vector<std::string> TextsOf(const ZvkReader& r)
{
    std::vector<std::string> out;
    for (const auto& t : r.Texts)
        out.emplace_back(t.Text);
    return out;
}

// One line, one arc, two points, three texts.
dw::ZvkDocument RichZvk()
{
    dw::ZvkDocument doc = dw::NewZvk();
    doc.Line1.Text1 = "\x90\x7D\x8C\x60\x82\x50";
    doc.Line1.Text2 = "rev 2";
    doc.Lines.emplace_back().Bytes.fill(0x11);
    auto& arc = doc.Arcs.emplace_back();
    arc.Ratio = 65535;
    arc.Fixed1 = 98304;
    doc.Points.push_back({1, 2, 3});
    doc.Points.push_back({4, 5, 6});
    dw::AddZvkText(doc, "\x95\xB6\x8E\x9A\x82\xA0").Values = {7, 7, 7, 7};
    dw::AddZvkText(doc, "B");
    dw::AddZvkText(doc, "");
    dw::SyncZvkHeader(doc);
    return doc;
}

TEST(ZvkParse, MagicOnlyKeepsDefaults)
{
    ZvkReader r;
    EXPECT_FALSE(ParseZvkBytes(r, kZvkMagic));
    EXPECT_EQ(r.HeaderLines, (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(r.Header.Text1.empty() && r.Header.TitleBlock.empty());
    EXPECT_EQ(r.Header.TextCount, 0);
    EXPECT_EQ(r.Header.Real6, 1.0f);
    EXPECT_EQ(r.Header.Real8, 1.0f);
    EXPECT_TRUE(r.Lines.empty() && r.Arcs.empty() && r.Points.empty() && r.Texts.empty());
}

TEST(ZvkParse, EveryPartReadBack)
{
    const dw::ZvkDocument doc = RichZvk();
    const std::string bytes = dw::WriteZvk(doc);
    ZvkReader r;
    ASSERT_TRUE(ParseZvkBytes(r, bytes));
    EXPECT_EQ(r.HeaderLines[0], bytes.substr(0, 200));
    EXPECT_EQ(r.HeaderLines[1], bytes.substr(200, 200));
    EXPECT_EQ(r.Header.TitleBlock, dw::FitTo(dw::ZvkTitleBlock(), 40));
    EXPECT_EQ(r.Header.Text1, dw::FitTo(doc.Line1.Text1, 32));
    EXPECT_EQ(r.Header.Text2, dw::FitTo("rev 2", 32));
    EXPECT_EQ(r.Header.LineCount, 1);
    EXPECT_EQ(r.Header.ArcCount, 1);
    EXPECT_EQ(r.Header.PointCount, 2);
    EXPECT_EQ(r.Header.TextCount, 3);
    EXPECT_EQ(r.Header.PoolSize, 10);
    EXPECT_TRUE(r.Header.Fields.empty());
    EXPECT_EQ(r.Lines[0].Bytes[21], 0x11u);
    EXPECT_EQ(r.Arcs[0].Ratio, 6.5535f);
    EXPECT_EQ(r.Arcs[0].Real1, 1.5f);
    EXPECT_EQ(r.Points[1].Value1, 4u);
    EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"\x95\xB6\x8E\x9A\x82\xA0", "B", ""}));
    EXPECT_EQ(r.Texts[0].Values, (std::array<std::uint32_t, 4>{7, 7, 7, 7}));
    EXPECT_EQ(r.Texts[1].PoolPosition, 7);

    ZvkReader trailing;
    ASSERT_TRUE(ParseZvkBytes(trailing, bytes + "trailing bytes are ignored"));
    EXPECT_EQ(TextsOf(trailing), TextsOf(r));
}

TEST(ZvkParse, RecordsFollowTheHeaderInFileOrder)
{
    dw::ZvkDocument doc = dw::NewZvk();
    doc.Lines.emplace_back().Bytes.fill('L');
    doc.Points.push_back({0x50505050, 0x50505050, 0x50505050});
    doc.Points.push_back({0x51515151, 0x51515151, 0x51515151});
    dw::AddZvkText(doc, "ABCDE");
    dw::SyncZvkHeader(doc);
    ASSERT_EQ(doc.Pool.size(), 6u);
    const std::string bytes = dw::WriteZvk(doc);
    ASSERT_EQ(bytes.size(), 476u);
    EXPECT_EQ(bytes.substr(400, 22), std::string(22, 'L'));
    EXPECT_EQ(bytes.substr(422, 4), "PPPP");
    EXPECT_EQ(bytes.substr(434, 4), "QQQQ");
    EXPECT_EQ(bytes.substr(470, 6), "ABCDE\0"s);

    ZvkReader r;
    ASSERT_TRUE(ParseZvkBytes(r, bytes));
    EXPECT_EQ(r.Points[1].Value2, 0x51515151u);
    EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"ABCDE"}));
}

TEST(ZvkParse, FieldsAfterTheNinthAreIgnored)
{
    dw::ZvkDocument doc = RichZvk();
    doc.Line2.Fields.resize(9);
    doc.Line2.Fields.insert(doc.Line2.Fields.end(), {"99", "junk", "1e39"});
    doc.Line2.Pad = ' ';
    ZvkReader r;
    ASSERT_TRUE(ParseZvkBytes(r, dw::WriteZvk(doc)));
    EXPECT_EQ(r.Header.Real8, 1.0f);
    EXPECT_EQ(TextsOf(r)[1], "B");
}

TEST(ZvkHeader, FieldsConvertedAndMissingOnesZero)
{
    dw::ZvkDocument doc = dw::NewZvk();
    doc.Line2.Fields = {"0", "0", "0", "0", "-1.5", " 2e1"};
    ZvkReader r;
    ASSERT_TRUE(ParseZvkBytes(r, dw::WriteZvk(doc)));
    EXPECT_EQ(r.Header.Real4, -1.5f);
    EXPECT_EQ(r.Header.Real5, 20.0f);
    EXPECT_EQ(r.Header.Real6, 0.0f);  // not reached: 0, not the default 1.0
    EXPECT_EQ(r.Header.PoolSize, 0);
    EXPECT_EQ(r.Header.Real8, 0.0f);
}

TEST(ZvkHeader, OverflowingRealEndsTheParseKeepingEarlierFields)
{
    dw::ZvkDocument doc = RichZvk();
    dw::SetField(doc.Line2, 5, "-1e39");
    ZvkReader r;
    EXPECT_FALSE(ParseZvkBytes(r, dw::WriteZvk(doc)));
    EXPECT_EQ(r.Header.Text1, dw::FitTo(doc.Line1.Text1, 32));
    EXPECT_EQ(r.Header.TextCount, 3);
    EXPECT_EQ(r.Header.Real6, 1.0f);
    EXPECT_EQ(r.Header.PoolSize, 0);
    EXPECT_TRUE(r.Header.Fields.empty());
    EXPECT_TRUE(r.Lines.empty() && r.Texts.empty());
}

TEST(ZvkPool, SegmentBytesAreIgnored)
{
    dw::ZvkDocument doc = RichZvk();
    doc.Texts[1].PoolSegment = 0x1234;
    doc.Texts.push_back(doc.Texts[0]);
    doc.Texts.back().PoolSegment = 0xFFFF;
    doc.Texts.back().PoolOffset = 2;  // inside the first string
    dw::SyncZvkHeader(doc);
    ZvkReader r;
    ASSERT_TRUE(ParseZvkBytes(r, dw::WriteZvk(doc)));
    EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"\x95\xB6\x8E\x9A\x82\xA0", "B", "", "\x8E\x9A\x82\xA0"}));
}

TEST(ZvkPool, IndexesOutsideThePoolGiveEmptyTexts)
{
    dw::ZvkDocument doc = dw::NewZvk();
    doc.Pool = "nonul";
    for (std::uint16_t offset : {0, 4, 5, 6, 0xFFFF})
        doc.Texts.emplace_back().PoolOffset = offset;
    dw::SyncZvkHeader(doc);
    ZvkReader r;
    ASSERT_TRUE(ParseZvkBytes(r, dw::WriteZvk(doc)));
    EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"nonul", "l", "", "", ""}));
}

TEST(ZvkPool, NoPoolReadWhenItsSizeIsNotPositive)
{
    for (const char* size : {"0", "-5", "junk"}) {
        dw::ZvkDocument doc = RichZvk();
        dw::SetField(doc.Line2, 7, size);
        doc.Pool = "garbage that is never read";
        ZvkReader r;
        ASSERT_TRUE(ParseZvkBytes(r, dw::WriteZvk(doc))) << size;
        EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"", "", ""})) << size;
    }
}

TEST(ZvkPool, FileEndingInsideThePoolLeavesEveryTextEmpty)
{
    const std::string bytes = dw::WriteZvk(RichZvk());
    ZvkReader r;
    EXPECT_FALSE(ParseZvkBytes(r, std::string_view(bytes).substr(0, bytes.size() - 1)));
    EXPECT_EQ(TextsOf(r), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(r.Texts[0].Values[0], 7u);
}

struct CountCase {
    const char* name;
    std::size_t field;
    std::string count;
    std::size_t lines, arcs, points, texts;  // table sizes left behind
};

class ZvkCountTest : public testing::TestWithParam<CountCase> {};

TEST_P(ZvkCountTest, TablesThatCannotFitAreNotSized)
{
    const CountCase& c = GetParam();
    dw::ZvkDocument doc = RichZvk();
    dw::SetField(doc.Line2, c.field, c.count);
    ZvkReader r;
    EXPECT_FALSE(ParseZvkBytes(r, dw::WriteZvk(doc)));
    EXPECT_EQ(r.Lines.size(), c.lines);
    EXPECT_EQ(r.Arcs.size(), c.arcs);
    EXPECT_EQ(r.Points.size(), c.points);
    EXPECT_EQ(r.Texts.size(), c.texts);
}

// RichZvk writes 560 bytes, 160 of them after the header.
INSTANTIATE_TEST_SUITE_P(
    Sizes, ZvkCountTest,
    testing::Values(CountCase{"NegativeLines", 0, "-1", 0, 0, 0, 0},
                    CountCase{"LinesJustTooMany", 0, "8", 0, 0, 0, 0},
                    CountCase{"ArcsNegative", 1, "-2147483648", 1, 0, 0, 0},
                    CountCase{"PointsJustTooMany", 2, "14", 1, 1, 0, 0},
                    CountCase{"TextsJustTooMany", 3, "7", 1, 1, 2, 0},
                    CountCase{"TextsHuge", 3, "2147483647", 1, 1, 2, 0},
                    // Fit behind the header, then the file ends.
                    CountCase{"PointsFit", 2, "13", 1, 1, 13, 3},
                    CountCase{"TextsFit", 3, "6", 1, 1, 2, 6}),
    [](const testing::TestParamInfo<CountCase>& info) { return info.param.name; });

TEST(ZvkCut, EveryShorterFileFailsKeepingWhatWasRead)
{
    const dw::ZvkDocument doc = RichZvk();
    const std::string full = dw::WriteZvk(doc);
    ASSERT_EQ(full.size(), 560u);
    const std::size_t arcs = 422, points = 454, texts = 478;
    ZvkReader r;
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        ASSERT_FALSE(ParseZvkBytes(r, std::string_view(full).substr(0, cut)));
        ASSERT_EQ(r.HeaderLines.size(), 2u);
        if (cut < 400) {
            EXPECT_EQ(r.HeaderLines[1].empty(), true);
            EXPECT_TRUE(r.Header.Text1.empty());
            EXPECT_EQ(r.Header.TextCount, 0);
            EXPECT_TRUE(r.Texts.empty());
            continue;
        }
        EXPECT_EQ(r.Header.TextCount, 3);
        const std::size_t room = cut - 400;
        const bool linesSized = room >= 22, arcsSized = linesSized && room >= 32;
        const bool pointsSized = arcsSized && room >= 24, textsSized = pointsSized && room >= 72;
        EXPECT_EQ(r.Lines.size(), linesSized ? 1u : 0u);
        EXPECT_EQ(r.Arcs.size(), arcsSized ? 1u : 0u);
        EXPECT_EQ(r.Points.size(), pointsSized ? 2u : 0u);
        ASSERT_EQ(r.Texts.size(), textsSized ? 3u : 0u);
        if (!textsSized)
            continue;
        EXPECT_EQ(r.Lines[0].Bytes[0] == 0x11, cut >= arcs);
        EXPECT_EQ(r.Arcs[0].Ratio != 0, cut >= points);
        EXPECT_EQ(r.Points[1].Value3 == 6, cut >= texts);
        EXPECT_EQ(r.Texts[0].Values[0] == 7, cut >= texts + 24);
        // The pool is read in one piece or not at all.
        for (const auto& t : r.Texts)
            EXPECT_TRUE(t.Text.empty());
    }
}

}  // namespace
}  // namespace vaveze
