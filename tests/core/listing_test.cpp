#include "core/listing/listing.h"

#include <gtest/gtest.h>

#include "core/readers/dos/zvcunit.h"
#include "core/readers/dos/zvkunit.h"
#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvwunit.h"

namespace vaveze {
namespace {

using Lines = std::vector<std::string>;

const std::string kHeader(kHeadingHeader);
const std::string kText(kHeadingText);
const std::string kBlock(kHeadingBlock);
const std::string kMark(kBlockMark);

// Records view their strings: these are literals.
TEntMoji Moji(std::string_view text)
{
    TEntMoji moji;
    moji.FirstString = "ignored";
    moji.Text = text;
    return moji;
}

TEntSunpo Sunpo(std::string_view text)
{
    TEntSunpo sunpo;
    sunpo.Moji = Moji(text);
    return sunpo;
}

// Tables as a complete parse leaves them: fixed header tables sized.
ZvwReader EmptyZvw()
{
    ZvwReader r;
    r.LayerGroups.resize(16);
    r.Layers.resize(256);
    r.Colors.resize(257);
    r.LineTypes.resize(33);
    return r;
}

// The drawing of the worked example: group G0 with layers L0 and L1, texts
// T1 and T2, one dimension 100, one block B holding BT.
ZvwReader WorkedExample()
{
    ZvwReader r = EmptyZvw();
    r.LayerGroups[0].Name = "G0";
    r.Layers[0].Name = "L0";
    r.Layers[1].Name = "L1";
    r.Entities.Moji = {Moji("T1"), Moji("T2")};
    r.Entities.Sunpo = {Sunpo("100")};
    TEntBlockDef def;
    def.Name = "B";
    def.Entities.Moji = {Moji("BT")};
    r.BlockDefs.Count = r.BlockDefs.TableSize = 1;
    r.BlockDefs.Defs = {def};
    return r;
}

Lines List(const ZvwReader& r, bool box1, bool box2, bool box3)
{
    VectorSink sink;
    EXPECT_TRUE(ListZvw(r, ListingOptions{box1, box2, box3}, sink));
    return sink.Lines;
}

TEST(ListZvw, WorkedExampleUnderEachOption)
{
    const ZvwReader r = WorkedExample();
    EXPECT_EQ(List(r, true, true, true),
              (Lines{kHeader, "G0", "L0,L1", kText, "T1", "T2", "100", kBlock, kMark + "B", "BT"}));
    EXPECT_EQ(List(r, false, false, true), (Lines{kText, "T1", "T2", kBlock, kMark + "B", "BT"}));
    EXPECT_EQ(List(r, false, true, false), (Lines{kText, "T1", "T2", "100"}));
    EXPECT_EQ(List(r, false, false, false), (Lines{kText, "T1", "T2"}));
}

TEST(ListZvw, HeaderSectionJoinsNamesAndSkipsEmptyOnes)
{
    ZvwReader r = EmptyZvw();
    EXPECT_EQ(List(r, true, false, false), (Lines{kHeader, kText}));

    r.Header.Memo = "memo\r\nline";
    r.Layers[16 * 2 + 0].Name = "A";
    r.Layers[16 * 2 + 2].Name = "B";
    r.Layers[16 * 3 + 15].Name = "\x01\x02";  // control bytes only: kept for the comma, then filtered
    r.Layers[16 * 3 + 14].Name = "C";
    r.LayerGroups[3].Name = "G3";
    r.Colors[0].Name = "red";
    r.Colors[256].Name = "blue";
    r.LineTypes[32].Name = "dash";
    EXPECT_EQ(List(r, true, false, false),
              (Lines{kHeader, "memoline", "A,B", "G3", "C,", "red,blue", "dash", kText}));
}

TEST(ListZvw, AbsentHeaderTablesListNothing)
{
    ZvwReader r;  // a parse that ended before sizing its tables
    r.Header.Memo = "M";
    EXPECT_EQ(List(r, true, true, true), (Lines{kHeader, "M", kText}));
}

TEST(ListZvw, EmptyAndSingleSpaceTextsGiveNoLine)
{
    ZvwReader r = EmptyZvw();
    r.Entities.Moji = {Moji(""), Moji(" "), Moji("  "), Moji("\t"), Moji("a\nb"), Moji(" \x0D")};
    EXPECT_EQ(List(r, false, false, false), (Lines{kText, "  ", "ab"}));
}

TEST(ListZvw, BlockSection)
{
    ZvwReader r = EmptyZvw();
    r.Entities.Sunpo = {Sunpo("top")};
    TEntBlockDef first;
    first.Entities.Moji = {Moji("in")};
    first.Entities.Sunpo = {Sunpo("dim")};
    r.BlockDefs.Defs = {first};
    // Four entries declared and allocated, one started: the rest are empty.
    r.BlockDefs.Count = r.BlockDefs.TableSize = 4;
    EXPECT_EQ(List(r, false, false, true), (Lines{kText, kBlock, kMark, "in", kMark, kMark, kMark}));
    EXPECT_EQ(List(r, false, true, true), (Lines{kText, "top", kBlock, kMark, "in", "dim", kMark, kMark, kMark}));

    // A count whose table could not be allocated: heading only.
    r.BlockDefs = {};
    r.BlockDefs.Count = 1000000;
    EXPECT_EQ(List(r, false, false, true), (Lines{kText, kBlock}));

    // No heading without a positive count.
    r.BlockDefs.Count = -3;
    EXPECT_EQ(List(r, false, false, true), (Lines{kText}));
    r.BlockDefs.Count = 0;
    EXPECT_EQ(List(r, false, false, true), (Lines{kText}));
}

TEST(ListZvs, SameRulesWithoutHeaderSection)
{
    ZvsReader r;
    r.Entities.Moji = {Moji("S1")};
    r.Entities.Sunpo = {Sunpo("D1")};
    TEntBlockDef def;
    def.Name = "blk";
    def.Entities.Moji = {Moji("X")};
    def.Entities.Sunpo = {Sunpo("Y")};
    r.BlockDefs.Count = r.BlockDefs.TableSize = 1;
    r.BlockDefs.Defs = {def};

    VectorSink sink;
    ASSERT_TRUE(ListZvs(r, ListingOptions{true, false, false}, sink));
    EXPECT_EQ(sink.Lines, (Lines{kText, "S1"}));
    ASSERT_TRUE(ListZvs(r, ListingOptions{true, true, true}, sink));
    EXPECT_EQ(sink.Lines, (Lines{kText, "S1", "D1", kBlock, kMark + "blk", "X", "Y"}));
}

TEST(ListZvc, HeaderTextsGroupsLayersAndTexts)
{
    ZvcReader r;
    r.Header.Text1 = " " + std::string(31, '\0');  // filters to one space: no line
    r.Header.Text2 = std::string(32, ' ');
    r.LayerGroups.resize(16);
    r.Layers.resize(256);
    r.LayerGroups[15].Name = "G15";
    r.Layers[255].Name = "L255";
    r.Layers[0].Name = "L0";
    r.Texts.resize(2);
    r.Texts[1].Text = "\x93\xFA\x96\x7B";

    VectorSink sink;
    ASSERT_TRUE(ListZvc(r, ListingOptions{true, true, true}, sink));
    EXPECT_EQ(sink.Lines, (Lines{kHeader, std::string(32, ' '), "L0", "G15", "L255", kText, "\x93\xFA\x96\x7B"}));
    ASSERT_TRUE(ListZvc(r, ListingOptions{false, true, true}, sink));
    EXPECT_EQ(sink.Lines, (Lines{kText, "\x93\xFA\x96\x7B"}));
}

TEST(ListZvk, HeaderTextsAndTexts)
{
    ZvkReader r;
    r.Header.Text1 = "Title";
    r.Header.Text2 = "";
    r.Texts.resize(1);
    r.Texts[0].Text = "abc";
    VectorSink sink;
    ASSERT_TRUE(ListZvk(r, ListingOptions{true, false, false}, sink));
    EXPECT_EQ(sink.Lines, (Lines{kHeader, "Title", kText, "abc"}));
}

// Each line with its kind and block, as "kind block text".
class KindedSink final : public LineSink {
public:
    void Clear() override { lines.clear(); }
    void SetKind(LineKind kind, std::int32_t block) override
    {
        kind_ = kind;
        block_ = block;
    }
    bool Append(std::string_view line) override
    {
        lines.push_back(std::to_string(static_cast<int>(kind_)) + " " + std::to_string(block_) + " " +
                        std::string(line));
        return true;
    }
    Lines lines;

private:
    LineKind kind_{};
    std::int32_t block_ = 99;
};

std::string Kinded(LineKind kind, std::int32_t block, const std::string& text)
{
    return std::to_string(static_cast<int>(kind)) + " " + std::to_string(block) + " " + text;
}

TEST(Listing, EveryLineKnowsItsKindAndBlock)
{
    using enum LineKind;
    ZvwReader r = WorkedExample();
    r.Header.Memo = "memo";
    r.Colors[3].Name = "red";
    r.LineTypes[1].Name = "dash";
    // A text that reads as the text heading is still a text.
    r.Entities.Moji.push_back(Moji(kHeadingText));
    TEntBlockDef second;
    second.Name = "C";
    second.Entities.Sunpo = {Sunpo("200")};
    r.BlockDefs.Defs.push_back(second);
    r.BlockDefs.Count = r.BlockDefs.TableSize = 2;
    KindedSink zvw;
    ASSERT_TRUE(ListZvw(r, ListingOptions{true, true, true}, zvw));
    EXPECT_EQ(zvw.lines, (Lines{Kinded(Heading, kNoBlock, kHeader), Kinded(HeaderText, kNoBlock, "memo"),
                                Kinded(LayerGroup, kNoBlock, "G0"), Kinded(Layers, kNoBlock, "L0,L1"),
                                Kinded(Colors, kNoBlock, "red"), Kinded(LineTypes, kNoBlock, "dash"),
                                Kinded(Heading, kNoBlock, kText), Kinded(Text, kNoBlock, "T1"),
                                Kinded(Text, kNoBlock, "T2"), Kinded(Text, kNoBlock, kText),
                                Kinded(DimensionText, kNoBlock, "100"), Kinded(Heading, kNoBlock, kBlock),
                                Kinded(BlockName, 0, kMark + "B"), Kinded(BlockText, 0, "BT"),
                                Kinded(BlockName, 1, kMark + "C"), Kinded(BlockDimensionText, 1, "200")}));

    ZvcReader c;
    c.Header.Text1 = "T1";
    c.Texts.resize(1);
    c.Texts[0].Text = "t";
    KindedSink zvc;
    ASSERT_TRUE(ListZvc(c, ListingOptions{true, false, false}, zvc));
    EXPECT_EQ(zvc.lines, (Lines{Kinded(Heading, kNoBlock, kHeader), Kinded(HeaderText, kNoBlock, "T1"),
                                Kinded(Heading, kNoBlock, kText), Kinded(Text, kNoBlock, "t")}));
}

// A sink that holds a limited number of lines, like a full pane.
class LimitedSink final : public LineSink {
public:
    explicit LimitedSink(std::size_t limit) : limit_(limit) {}
    void Clear() override { lines.clear(); }
    bool Append(std::string_view line) override
    {
        if (lines.size() == limit_)
            return false;
        lines.emplace_back(line);
        return true;
    }
    Lines lines;

private:
    std::size_t limit_;
};

TEST(Listing, StopsAtTheFirstRefusedLineKeepingTheLinesBefore)
{
    const ZvwReader r = WorkedExample();
    LimitedSink sink(2);
    sink.lines = {"old"};
    EXPECT_FALSE(ListZvw(r, ListingOptions{false, false, false}, sink));
    EXPECT_EQ(sink.lines, (Lines{kText, "T1"}));
    LimitedSink exact(3);
    EXPECT_TRUE(ListZvw(r, ListingOptions{false, false, false}, exact));
}

}  // namespace
}  // namespace vaveze
