// Symbol file reader: fixed header, figure list, block definitions.
#include <gtest/gtest.h>

#include "core/readers/win/zvsunit.h"
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

TEST(ZvsParse, MagicOnlySizesTheGroupTable)
{
    // The parse fails but has sized the group table.
    ZvsReader r;
    EXPECT_EQ(ParseZvsBytes(r, kZvsMagic), (ParseOutcome{StopReason::EndsEarly, 7, "file header"}));
    EXPECT_EQ(r.Header.Magic, "ZvsData");
    EXPECT_EQ(r.LayerGroups.size(), 16u);
    EXPECT_TRUE(r.Entities.Order.empty());
}

TEST(ZvsParse, SmallestCompleteFileAndHeaderFields)
{
    ZvsDocument doc;
    doc.Version = 123;  // not checked
    doc.Reals1 = {1.5, 2.5};
    for (std::size_t g = 0; g < 16; ++g)
        doc.GroupDoubles[g] = static_cast<double>(g) + 0.25;
    doc.Ints = {1, 2, 3, 4, 5, -6};
    doc.Reals3[9] = 12.0;
    const std::string bytes = WriteZvs(doc);
    ASSERT_EQ(bytes.size(), 456u);

    ZvsReader r;
    ASSERT_TRUE(ParseZvsBytes(r, bytes));
    EXPECT_EQ(r.Header.FileVersion, 123);
    EXPECT_EQ(r.Header.Reals1, doc.Reals1);
    EXPECT_EQ(r.Header.Ints, doc.Ints);
    EXPECT_EQ(r.Header.Reals3, doc.Reals3);
    EXPECT_EQ(r.LayerGroups[15].D, 15.25);
    EXPECT_EQ(r.Header.EntityCount, 0);
    EXPECT_EQ(r.Header.BlockDefCount, 0);
    EXPECT_TRUE(r.BlockDefs.Defs.empty());

    EXPECT_FALSE(ParseZvsBytes(r, std::string_view(bytes).substr(0, 455)));
    // Ends right after the figure list: the block definition count is 0.
    EXPECT_FALSE(ParseZvsBytes(r, std::string_view(bytes).substr(0, 454)));
    EXPECT_EQ(r.Header.BlockDefCount, 0);
}

class ZvsVersionTest : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(ZvsVersionTest, FigureAndBlocksRoundTrip)
{
    ZvsDocument doc;
    doc.Version = GetParam();
    TEntTen point;
    point.Attr = {1, 100, 0, 7, 0, 0, 0};
    point.ExtI = 3;
    TEntSunpo dim = MakeSunpo("30");
    dim.Attr.AttrD = 9;
    dim.W = 4;
    doc.Entities.Add(MakeMoji("fig1")).Add(point).Add(dim).Add(MakeMoji("fig2"), TagForm::LongRef);
    EntityList inner;
    inner.Add(MakeMoji("blk"), TagForm::ShortRef).Add(MakeSunpo("40"), TagForm::ShortRef);
    doc.BlockDefs.Defs = {MakeBlockDef("SYM", inner), MakeBlockDef("B")};
    doc.BlockDefs.Defs[0].Value3 = 0xFFFFFFFFu;
    doc.BlockDefs.Defs[1].Value3 = 0x7FFFFFFFu;
    doc.BlockDefs.Defs[1].Attr.AttrD = 5;

    ZvsReader r;
    ASSERT_TRUE(ParseZvsBytes(r, WriteZvs(doc) + "trailing bytes"));
    EXPECT_EQ(r.Entities, StoredTables(doc.Entities, doc.Version));
    ASSERT_EQ(r.BlockDefs.Defs.size(), 2u);
    const TEntBlockDef& first = r.BlockDefs.Defs[0];
    EXPECT_EQ(first.Value3, 1);
    EXPECT_EQ(first.Name, "SYM");
    EXPECT_EQ(first.Entities, StoredTables(inner, doc.Version));
    EXPECT_EQ(r.BlockDefs.Defs[1].Value3, 0x7FFFFFFF);
    EXPECT_EQ(r.BlockDefs.Defs[1].Attr.AttrD, doc.Version >= 351 ? 5 : 0);
}

INSTANTIATE_TEST_SUITE_P(Versions, ZvsVersionTest, ::testing::Values(350, 351, 419, 420, 700));

TEST(ZvsCut, DefinitionsNotReachedStayEmpty)
{
    ZvsDocument doc;
    EntityList inner;
    inner.Add(MakeMoji("inside"));
    doc.BlockDefs.Defs = {MakeBlockDef("one", inner), MakeBlockDef("two"), MakeBlockDef("three")};
    const std::string bytes = WriteZvs(doc);
    ZvsReader r;
    ASSERT_FALSE(ParseZvsBytes(r, std::string_view(bytes).substr(0, bytes.find("inside") + 2)));
    EXPECT_EQ(r.BlockDefs.Count, 3);
    EXPECT_EQ(r.BlockDefs.TableSize, 3);
    ASSERT_EQ(r.BlockDefs.Defs.size(), 1u);
    EXPECT_EQ(r.BlockDefs.Defs[0].Name, "one");
    EXPECT_EQ(Texts(r.BlockDefs.Defs[0].Entities), (std::vector<std::string>{""}));
}

TEST(ZvsHostile, NameBufferIs200BytesAndCountsAreBounded)
{
    ZvsDocument doc;
    doc.Entities.AddUnknownClass(std::string(200, 'N')).Add(MakeMoji("ok"));
    ZvsReader r;
    EXPECT_TRUE(ParseZvsBytes(r, WriteZvs(doc)));
    EXPECT_EQ(Texts(r.Entities), (std::vector<std::string>{"ok"}));

    doc.Entities.Items.insert(doc.Entities.Items.begin(), UnknownClassItem{std::string(201, 'N')});
    EXPECT_FALSE(ParseZvsBytes(r, WriteZvs(doc)));
    EXPECT_TRUE(r.Entities.Moji.empty());

    ZvsDocument negative;
    negative.BlockDefs.DeclaredCount = -3;
    EXPECT_FALSE(ParseZvsBytes(r, WriteZvs(negative)));
    EXPECT_EQ(r.Header.BlockDefCount, -3);
    EXPECT_EQ(r.BlockDefs.TableSize, 0);

    ZvsDocument huge;
    huge.Entities.DeclaredCount = 1 << 20;
    EXPECT_FALSE(ParseZvsBytes(r, WriteZvs(huge)));
    EXPECT_EQ(r.Header.EntityCount, 1 << 20);
    EXPECT_TRUE(r.Entities.Order.empty());
}

TEST(ZvsReset, ResetEmptiesEverything)
{
    ZvsDocument doc;
    doc.Entities.Add(MakeMoji("x"));
    doc.BlockDefs.Defs = {MakeBlockDef("b")};
    ZvsReader r;
    ASSERT_TRUE(ParseZvsBytes(r, WriteZvs(doc)));
    ResetZvs(r);
    EXPECT_EQ(r.Header, TZvsHeader{});
    EXPECT_TRUE(r.LayerGroups.empty());
    EXPECT_TRUE(r.Entities.Moji.empty());
    EXPECT_TRUE(r.BlockDefs.Defs.empty());
    EXPECT_EQ(r.BlockDefs.Count, 0);
}

}  // namespace
}  // namespace vaveze
