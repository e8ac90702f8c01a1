// Entity lists long enough for the tables to be sized ahead from the mix of
// kinds seen so far: contents stay exactly what was written, whatever the
// mix and order, and a declared count the file cannot fill never makes the
// tables take more room than its bytes could.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "core/listing/extraction.h"
#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvwunit.h"
#include "tests/win/zvw_writer.h"
#include "tests/temp_folder.h"

namespace vaveze {
namespace {

using namespace winwriter;

// Fewest bytes one text record takes in a file: tag, attributes, numbers
// and two empty strings.
constexpr std::size_t kFewestTextBytes = 2 + 13 + 4 * 8 + 4 + 4 * 8 + 1 + 1;
constexpr std::size_t kFewestLineBytes = 2 + 13 + 4 * 8;

Entity MakeOfKind(EntityKind kind, int n)
{
    switch (kind) {
    case kKindSen: return MakeSen(n, n, n + 1, n + 1);
    case kKindEnko: {
        TEntEnko arc;
        arc.D[0] = n;
        return arc;
    }
    case kKindTen: {
        TEntTen point;
        point.Attr.AttrB = n % 3 == 0 ? kPointExtensionMark : 0;
        point.D = {1.0 * n, 2.0};
        return point;
    }
    case kKindSunpou: return MakeSunpo(std::to_string(n));
    case kKindSolid: {
        TEntSolid solid;
        solid.Attr.AttrC = n % 2 == 0 ? kSolidExtraMark : 0;
        solid.Extra = n;
        return solid;
    }
    case kKindBlock: {
        TEntBlock insertion;
        insertion.I = n;
        return insertion;
    }
    default: return MakeMoji("text " + std::to_string(n), n % 5 == 0 ? "first" : "");
    }
}

// Runs of each kind, in the order given: a list whose mix changes on the way.
EntityList Runs(const std::vector<std::pair<EntityKind, int>>& runs)
{
    EntityList list;
    int n = 0;
    for (const auto& [kind, count] : runs)
        for (int i = 0; i < count; ++i)
            list.Add(MakeOfKind(kind, n++));
    return list;
}

// Kinds interleaved in a fixed pattern, mostly texts.
EntityList Interleaved(int count)
{
    constexpr EntityKind pattern[] = {kKindMoji, kKindSen, kKindMoji, kKindSunpou, kKindMoji, kKindSen,
                                      kKindEnko, kKindMoji, kKindTen, kKindSolid, kKindMoji, kKindBlock};
    EntityList list;
    for (int i = 0; i < count; ++i)
        list.Add(MakeOfKind(pattern[i % std::size(pattern)], i));
    return list;
}

struct ListCase {
    const char* Name;
    EntityList List;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.Name; }

class LargeListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(LargeListTest, DrawingKeepsEveryRecordInOrder)
{
    ZvwDocument doc;
    doc.Entities = GetParam().List;
    doc.BlockDefs.Defs.push_back(MakeBlockDef("big", GetParam().List));
    ZvwReader reader;
    ASSERT_TRUE(ParseZvwBytes(reader, WriteZvw(doc)));
    const TEntityTables expected = StoredTables(GetParam().List, doc.Version);
    EXPECT_EQ(reader.Entities, expected);
    ASSERT_EQ(reader.BlockDefs.Defs.size(), 1u);
    EXPECT_EQ(reader.BlockDefs.Defs[0].Entities, expected);
}

TEST_P(LargeListTest, SymbolKeepsEveryRecordInOrder)
{
    ZvsDocument doc;
    doc.Entities = GetParam().List;
    ZvsReader reader;
    ASSERT_TRUE(ParseZvsBytes(reader, WriteZvs(doc)));
    EXPECT_EQ(reader.Entities, StoredTables(GetParam().List, doc.Version));
}

INSTANTIATE_TEST_SUITE_P(
    Mixes, LargeListTest,
    ::testing::Values(ListCase{"interleaved", Interleaved(6000)},
                      // The first thousands say nothing of what follows.
                      ListCase{"lines_then_texts", Runs({{kKindSen, 3000}, {kKindMoji, 4000}, {kKindSunpou, 300}})},
                      ListCase{"texts_then_rare_kinds",
                               Runs({{kKindMoji, 2000}, {kKindTen, 5}, {kKindMoji, 2000}, {kKindSolid, 1500},
                                     {kKindBlock, 1}, {kKindEnko, 700}})},
                      ListCase{"one_kind", Runs({{kKindMoji, 5000}})}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return std::string(info.param.Name); });

// Reading a cut-off list: every entry before the cut is as written.
TEST(LargeList, CutOffListKeepsWhatWasReadBeforeTheCut)
{
    ZvwDocument doc;
    doc.Entities = Interleaved(5000);
    const std::string bytes = WriteZvw(doc);
    ZvwReader whole;
    ASSERT_TRUE(ParseZvwBytes(whole, bytes));

    for (const double share : {0.3, 0.55, 0.8, 0.97}) {
        const auto cut = static_cast<std::size_t>(static_cast<double>(bytes.size()) * share);
        ZvwReader part;
        EXPECT_FALSE(ParseZvwBytes(part, std::string_view(bytes).substr(0, cut)));
        const TEntityTables& got = part.Entities;
        const TEntityTables& all = whole.Entities;
        ASSERT_FALSE(got.Moji.empty());
        ASSERT_LT(got.Moji.size(), all.Moji.size());
        // The last text may have been cut among its strings; the ones before are whole.
        for (std::size_t i = 0; i + 1 < got.Moji.size(); ++i)
            ASSERT_EQ(got.Moji[i], all.Moji[i]) << "text " << i << " of a cut at " << cut;
        for (std::size_t i = 0; i + 1 < got.Sen.size(); ++i)
            ASSERT_EQ(got.Sen[i], all.Sen[i]);
        for (std::size_t i = 0; i + 1 < got.Sunpo.size(); ++i)
            ASSERT_EQ(got.Sunpo[i], all.Sunpo[i]);
        EXPECT_EQ(got.Order.size(), all.Order.size());  // sized to the declared count
    }
}

// A list that declares far more entities than its file holds: the tables
// hold what was there, and their room stays within what the file's bytes
// could ever fill.
TEST(LargeList, DeclaredCountBeyondTheFileDoesNotReserveBeyondIt)
{
    for (const std::int32_t declared : {20'000, 200'000}) {
        ZvwDocument doc;
        doc.Entities = Runs({{kKindMoji, 3000}, {kKindSen, 100}, {kKindMoji, 100}});
        doc.Entities.DeclaredCount = declared;
        doc.EmbeddedSection = false;
        std::string bytes = WriteZvw(doc);
        bytes.resize(bytes.size() + 2 * static_cast<std::size_t>(declared), '\0');  // room for the count check

        ZvwReader reader;
        EXPECT_FALSE(ParseZvwBytes(reader, bytes));
        const TEntityTables& got = reader.Entities;
        ASSERT_EQ(got.Moji.size(), 3100u);
        EXPECT_EQ(got.Moji.back().Text, "text 3199");
        EXPECT_LE(got.Moji.capacity(), got.Moji.size() + bytes.size() / kFewestTextBytes + 1)
            << "declared " << declared;
        EXPECT_LE(got.Sen.capacity(), got.Sen.size() + bytes.size() / kFewestLineBytes + 1);
    }
}

// A file read from disk a window at a time: several megabytes of list, a
// block definition behind it, and the same tables as from bytes kept whole.
TEST(LargeList, FileReadAWindowAtATimeParsesAsItsBytes)
{
    ZvwDocument doc;
    doc.Entities = Interleaved(40'000);
    doc.BlockDefs.Defs.push_back(MakeBlockDef("after", Interleaved(9'000)));
    const std::string bytes = WriteZvw(doc);
    ASSERT_GT(bytes.size(), std::size_t{4} << 20);
    const auto path = ProcessTempFolder().Write("large_list.zvw", bytes);

    ZvwReader kept;
    ASSERT_TRUE(ParseZvwBytes(kept, bytes));
    Readers readers;
    const Detection detection = DetectAndParse(readers, path);
    std::filesystem::remove(path);
    EXPECT_EQ(detection.Kind, FormatKind::Zvw);
    EXPECT_TRUE(detection.Outcome);
    EXPECT_EQ(readers.Zvw.Entities, kept.Entities);
    ASSERT_EQ(readers.Zvw.BlockDefs.Defs.size(), 1u);
    EXPECT_EQ(readers.Zvw.BlockDefs.Defs[0].Entities, kept.BlockDefs.Defs[0].Entities);
}

}  // namespace
}  // namespace vaveze
