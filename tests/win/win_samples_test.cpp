// The shipped samples are what the generator writes, and they read back
// with every text.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvwunit.h"
#include "tests/win/win_samples.h"

namespace vaveze {
namespace {

std::string ReadSample(const std::string& name)
{
    std::ifstream in(std::string(VAVEZE_SAMPLES_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WinSamples, CommittedFilesMatchTheGenerator)
{
    EXPECT_EQ(ReadSample("plan.zvw"), winwriter::WriteZvw(winwriter::SamplePlan()));
    EXPECT_EQ(ReadSample("symbol.zvs"), winwriter::WriteZvs(winwriter::SampleSymbol()));
}

TEST(WinSamples, PlanReadsCompletely)
{
    const winwriter::ZvwDocument doc = winwriter::SamplePlan();
    ZvwReader r;
    ASSERT_TRUE(ParseZvwBytes(r, ReadSample("plan.zvw")));
    EXPECT_EQ(r.Header.Memo, doc.Header.Memo);
    EXPECT_EQ(r.Layers[17].Name, doc.Layers[17].Name);
    EXPECT_EQ(r.Colors[18].Name, doc.Colors[18].Name);
    EXPECT_EQ(r.Entities, winwriter::StoredTables(doc.Entities, doc.Version));
    ASSERT_EQ(r.BlockDefs.Defs.size(), 2u);
    EXPECT_EQ(r.BlockDefs.Defs[0].Value3, 1);
    EXPECT_EQ(r.BlockDefs.Defs[1].Entities, winwriter::StoredTables(doc.BlockDefs.Defs[1].Entities, doc.Version));
}

TEST(WinSamples, SymbolReadsCompletely)
{
    const winwriter::ZvsDocument doc = winwriter::SampleSymbol();
    ZvsReader r;
    ASSERT_TRUE(ParseZvsBytes(r, ReadSample("symbol.zvs")));
    EXPECT_EQ(r.Entities, winwriter::StoredTables(doc.Entities, doc.Version));
    ASSERT_EQ(r.BlockDefs.Defs.size(), 1u);
    EXPECT_EQ(r.BlockDefs.Defs[0].Name, doc.BlockDefs.Defs[0].Name);
}

// Damaged copies of the samples: bytes overwritten at random places. The
// parse may fail but must return, and what it keeps stays consistent.
TEST(WinSamples, DamagedCopiesNeverEscapeTheParse)
{
    const std::string files[] = {ReadSample("plan.zvw"), ReadSample("symbol.zvs")};
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    ZvwReader zvw;
    ZvsReader zvs;
    for (int round = 0; round < 600; ++round) {
        const bool drawing = round % 2 == 0;
        std::string bytes = files[drawing ? 0 : 1];
        const std::uint32_t damaged = 1 + next() % 4;
        for (std::uint32_t i = 0; i < damaged; ++i)
            bytes[next() % bytes.size()] = static_cast<char>(next() & 0xFF);
        if (next() % 3 == 0)
            bytes.resize(next() % bytes.size());
        if (drawing) {
            (void)ParseZvwBytes(zvw, bytes);
            ASSERT_LE(zvw.BlockDefs.Defs.size(), static_cast<std::size_t>(std::max(zvw.BlockDefs.TableSize, 0)));
            ASSERT_LE(zvw.Entities.Moji.size() + zvw.Entities.Sunpo.size(), bytes.size());
        } else {
            (void)ParseZvsBytes(zvs, bytes);
            ASSERT_LE(zvs.BlockDefs.Defs.size(), static_cast<std::size_t>(std::max(zvs.BlockDefs.TableSize, 0)));
        }
    }
}

}  // namespace
}  // namespace vaveze
