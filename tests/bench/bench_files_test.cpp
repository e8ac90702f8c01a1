// The benchmark files are what their descriptions promise: complete files of
// each format, the scaling series exact multiples of one content, the DOS
// files at the limits of their pool addressing, and the pane-filling drawing
// a listing of exactly the asked number of characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/text/cp932.h"
#include "core/listing/listing.h"
#include "bench/bench_files.h"
#include "core/readers/dos/zvcunit.h"
#include "core/readers/dos/zvkunit.h"
#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvwunit.h"

namespace vaveze::bench {
namespace {

constexpr ListingOptions kEveryOption{true, true, true};

std::vector<std::string> Listing(const ZvwReader& reader)
{
    VectorSink sink;
    EXPECT_TRUE(ListZvw(reader, kEveryOption, sink));
    return sink.Lines;
}

// Lines of the listing that do not depend on the entities: the header
// section, the text heading and the block heading.
std::size_t FixedLines(const std::vector<std::string>& lines)
{
    const auto heading = std::find(lines.begin(), lines.end(), kHeadingText);
    EXPECT_NE(heading, lines.end());
    return static_cast<std::size_t>(heading - lines.begin()) + 2;
}

TEST(BenchFiles, ScalingSeriesRepeatsOneContentExactly)
{
    ZvwReader once;
    ZvwReader thrice;
    ASSERT_TRUE(ParseZvwBytes(once, MakeDrawing(1, false)));
    ASSERT_TRUE(ParseZvwBytes(thrice, MakeDrawing(3, false)));

    const TEntityTables& one = once.Entities;
    const TEntityTables& three = thrice.Entities;
    EXPECT_GT(one.Moji.size(), 1000u);
    EXPECT_GT(one.Sunpo.size(), 100u);
    ASSERT_EQ(three.Moji.size(), 3 * one.Moji.size());
    ASSERT_EQ(three.Sunpo.size(), 3 * one.Sunpo.size());
    EXPECT_EQ(three.Sen.size(), 3 * one.Sen.size());
    EXPECT_EQ(three.Order.size(), 3 * one.Order.size());
    for (std::size_t i = 0; i < three.Moji.size(); ++i)
        ASSERT_EQ(three.Moji[i], one.Moji[i % one.Moji.size()]) << i;
    ASSERT_EQ(thrice.BlockDefs.Defs.size(), 3 * once.BlockDefs.Defs.size());

    const std::vector<std::string> small = Listing(once);
    const std::vector<std::string> large = Listing(thrice);
    const std::size_t fixed = FixedLines(small);
    EXPECT_EQ(large.size() - fixed, 3 * (small.size() - fixed));
}

TEST(BenchFiles, LargeDrawingPiecesDifferAndNameTheirBlocksApart)
{
    ZvwReader reader;
    ASSERT_TRUE(ParseZvwBytes(reader, MakeDrawing(2, true)));
    const Table<TEntMoji>& texts = reader.Entities.Moji;
    ASSERT_EQ(texts.size() % 2, 0u);
    const std::size_t half = texts.size() / 2;
    std::size_t same = 0;
    for (std::size_t i = 0; i < half; ++i)
        same += texts[i].Text == texts[half + i].Text ? 1 : 0;
    EXPECT_LT(same, half / 2);

    std::set<std::string> names;
    for (const TEntBlockDef& def : reader.BlockDefs.Defs) {
        EXPECT_FALSE(def.Entities.Moji.empty());
        names.insert(def.Name);
    }
    EXPECT_EQ(names.size(), reader.BlockDefs.Defs.size());

    // Texts of every length, some in the long form and some with line breaks.
    const auto longest = std::max_element(texts.begin(), texts.end(), [](const TEntMoji& a, const TEntMoji& b) {
        return a.Text.size() < b.Text.size();
    });
    EXPECT_GT(longest->Text.size(), 255u);
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                            [](const TEntMoji& m) { return m.Text.find("\r\n") != std::string::npos; }));
}

TEST(BenchFiles, SymbolFileHoldsTheSameKindOfContent)
{
    ZvsReader reader;
    ASSERT_TRUE(ParseZvsBytes(reader, MakeSymbol(1)));
    EXPECT_GT(reader.Entities.Moji.size(), 1000u);
    EXPECT_GT(reader.Entities.Sunpo.size(), 100u);
    EXPECT_FALSE(reader.BlockDefs.Defs.empty());
}

TEST(BenchFiles, DosDrawingSpansTheWholeAddressRange)
{
    ZvcReader reader;
    ASSERT_TRUE(ParseZvcBytes(reader, MakeLargestZvc()));
    EXPECT_EQ(reader.Header.PoolStart(), 0);
    EXPECT_EQ(reader.Header.PoolEnd(), 0xFFFF * 16 + 0xFFFF);
    EXPECT_EQ(reader.Texts.size(), 1'000'000u);
    EXPECT_EQ(reader.Lines.size(), 1'000'000u);
    std::set<std::string> distinct;
    for (const TMoji2& text : reader.Texts) {
        ASSERT_FALSE(text.Text.empty());
        if (distinct.size() < 20'000)
            distinct.emplace(text.Text);
    }
    EXPECT_EQ(distinct.size(), 20'000u);
}

TEST(BenchFiles, DosSymbolFillsWhatItsOffsetsReach)
{
    ZvkReader reader;
    ASSERT_TRUE(ParseZvkBytes(reader, MakeLargestZvk()));
    EXPECT_EQ(reader.Header.PoolSize, 0x10000);
    EXPECT_EQ(reader.Texts.size(), 1'000'000u);
    std::int32_t highest = 0;
    for (const TMoji2& text : reader.Texts) {
        ASSERT_FALSE(text.Text.empty());
        highest = std::max(highest, text.PoolPosition);
    }
    EXPECT_GT(highest, 0xFF00);
}

TEST(BenchFiles, PaneFillingDrawingListsExactlyTheCharactersAsked)
{
    for (const std::size_t characters : {20'000u, 54'321u}) {
        ZvwReader reader;
        ASSERT_TRUE(ParseZvwBytes(reader, MakePaneFillingDrawing(characters)));
        std::size_t counted = 0;
        for (const std::string& line : Listing(reader))
            counted += DecodeCp932(line, ControlBytes::AsRawByte).Text.size() + 1;
        EXPECT_EQ(counted, characters);
    }
}

TEST(BenchFiles, SmallDrawingsAreCompleteAndDifferent)
{
    ZvwReader first;
    ZvwReader second;
    const std::string a = MakeSmallDrawing(0);
    const std::string b = MakeSmallDrawing(1);
    ASSERT_TRUE(ParseZvwBytes(first, a));
    ASSERT_TRUE(ParseZvwBytes(second, b));
    EXPECT_LT(a.size(), 64u * 1024);
    EXPECT_FALSE(first.Entities.Moji.empty());
    EXPECT_NE(Listing(first), Listing(second));
}

}  // namespace
}  // namespace vaveze::bench
