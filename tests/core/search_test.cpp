// The numbered jobs whose results come in order, and the search of many
// files built on them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/listing/listing.h"
#include "core/session/faults.h"
#include "core/session/orderedjobs.h"
#include "core/session/search.h"
#include "core/text/cp932.h"
#include "tests/temp_folder.h"
#include "tests/win/zvw_writer.h"

namespace vaveze {
namespace {

// Jobs that take longer the lower their number, so that they finish out of
// order: taken by a waiting taker and by an event loop woken by `ready`,
// on one job and on several, the results come in order, each once.
TEST(OrderedJobsTest, ResultsComeInOrderHoweverTheyAreTaken)
{
    constexpr std::size_t kCount = 40;
    const auto produce = [](std::size_t i) {
        std::this_thread::sleep_for(std::chrono::microseconds((kCount - i) * 20));
        return i * i;
    };
    for (const unsigned jobs : {1U, 3U}) {
        OrderedJobs<std::size_t> waiting(kCount, jobs, produce);
        std::vector<std::size_t> taken;
        while (const std::optional<std::size_t> result = waiting.Take())
            taken.push_back(*result);
        EXPECT_TRUE(waiting.Done());

        std::mutex mutex;
        std::condition_variable woken;
        bool ready = false;
        OrderedJobs<std::size_t> polled(kCount, jobs, produce, [&] {
            const std::lock_guard lock(mutex);
            ready = true;
            woken.notify_one();
        });
        std::vector<std::size_t> drained;
        while (!polled.Done()) {
            std::unique_lock lock(mutex);
            woken.wait_for(lock, std::chrono::milliseconds(50), [&] { return ready; });
            ready = false;
            lock.unlock();
            while (const std::optional<std::size_t> result = polled.TryTake())
                drained.push_back(*result);
        }
        std::vector<std::size_t> expected;
        for (std::size_t i = 0; i < kCount; ++i)
            expected.push_back(i * i);
        EXPECT_EQ(taken, expected) << jobs;
        EXPECT_EQ(drained, expected) << jobs;
    }
}

// A taker that comes round on a timer's tick finds the workers went on
// meanwhile: every job allowed to wait ran before anything was taken, not
// only as many as there are workers.
TEST(OrderedJobsTest, ResultsWaitForATakerThatPolls)
{
    constexpr std::size_t kCount = 40;
    std::atomic<std::size_t> produced{0};
    OrderedJobs<std::size_t> jobs(
        kCount, 2, [&](std::size_t i) { return ++produced, i; }, [] {}, kCount);
    for (int turn = 0; turn < 10'000 && produced < kCount; ++turn)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(produced.load(), kCount);
    std::size_t taken = 0;
    while (jobs.Take())
        ++taken;
    EXPECT_EQ(taken, kCount);
}

TEST(OrderedJobsTest, StopEndsTheHandingOverAndNoJobStartsAfterIt)
{
    std::atomic<std::size_t> started{0};
    OrderedJobs<int> jobs(1000, 2, [&](std::size_t) {
        ++started;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 0;
    });
    EXPECT_TRUE(jobs.Take().has_value());
    jobs.Stop();
    const std::size_t atStop = started;
    EXPECT_FALSE(jobs.Take().has_value());
    EXPECT_FALSE(jobs.TryTake().has_value());
    EXPECT_TRUE(jobs.Done());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_LE(started.load(), atStop + 2);  // those running when it came finish
}

std::string Sjis(std::string_view utf8) { return Utf8ToCp932(utf8).Bytes; }

// Listed without options: the heading, 居間, "Bath 浴室", "ｂａｔｈ ROOM",
// "A" + a broken pair holding a line feed + "bath"; with the blocks, then
// the block heading, "◆B" and "浴室2" in block 0.
std::string Drawing()
{
    using namespace winwriter;
    ZvwDocument doc;
    doc.Entities.Add(MakeMoji(Sjis("居間")))
        .Add(MakeMoji(Sjis("Bath 浴室")))
        .Add(MakeMoji(Sjis("ｂａｔｈ ROOM")))
        .Add(MakeMoji(std::string("A\x82\x0A" "bath")));
    EntityList block;
    block.Add(MakeMoji(Sjis("浴室2")));
    doc.BlockDefs.Defs.push_back(MakeBlockDef("B", block));
    return WriteZvw(doc);
}

// Each line that holds the text, by the find rule (Latin letters of either
// width without regard to case, each width its own), with its number,
// kind, block and where the match starts in the line as a pane shows it.
TEST(FileSearchTest, FindsEachLineThatHoldsTheTextWithItsPlace)
{
    const std::filesystem::path path = ProcessTempFolder().Write("search.zvw", Drawing());
    struct Hit {
        std::size_t Line;
        LineKind Kind;
        std::int32_t Block;
        std::size_t Position;
    };
    struct Case {
        std::u16string Needle;
        bool Blocks;
        std::vector<Hit> Hits;
    };
    for (const Case& c : std::vector<Case>{
             {u"BATH", false, {{3, LineKind::Text, kNoBlock, 0}, {5, LineKind::Text, kNoBlock, 3}}},
             {u"ＢＡＴＨ", false, {{4, LineKind::Text, kNoBlock, 0}}},
             {u"浴室", false, {{3, LineKind::Text, kNoBlock, 5}}},
             {u"浴室", true, {{3, LineKind::Text, kNoBlock, 5}, {8, LineKind::BlockText, 0, 0}}},
             {u"◆b", true, {{7, LineKind::BlockName, 0, 0}}},
             {u"浴室3", true, {}},
             {u"", true, {}}}) {
        SearchQuery query;
        query.Needle = c.Needle;
        query.Listing.Blocks = c.Blocks;
        FileSearch search({{path, path.filename(), 0, {}, {}}}, query, 2);
        const std::optional<SearchedFile> file = search.Take();
        ASSERT_TRUE(file.has_value());
        EXPECT_TRUE(file->Opened.Listed());
        EXPECT_EQ(file->Hits, c.Hits.size());
        ASSERT_EQ(file->Lines.size(), c.Hits.size());
        for (std::size_t i = 0; i < c.Hits.size(); ++i) {
            const SearchHit& hit = file->Lines[i];
            EXPECT_EQ(hit.Line, c.Hits[i].Line);
            EXPECT_EQ(hit.Kind, c.Hits[i].Kind);
            EXPECT_EQ(hit.Block, c.Hits[i].Block);
            EXPECT_EQ(hit.Position, c.Hits[i].Position);
            EXPECT_EQ(hit.Length, c.Needle.size());
        }
        EXPECT_FALSE(search.Take().has_value());
    }
}

// Files come in the order given, each with what reading it came to, also
// taken from an event loop; "which files" stops at a file's first hit.
TEST(FileSearchTest, FilesComeInOrderWithWhatReadingThemCameTo)
{
    const TempFolder& folder = ProcessTempFolder();
    std::vector<Source> sources;
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"a.zvw", Drawing()}, {"missing.zvw", ""}, {"wrong.zvw", "not a drawing"},
             {"cut.zvw", Drawing().substr(0, 60)}, {"b.bak", Drawing()}}) {
        const std::filesystem::path path = name == "missing.zvw" ? folder.Path() / name : folder.Write(name, bytes);
        sources.push_back({path, path.filename(), 0, {}, {}});
    }
    SearchQuery query;
    query.Needle = u"bath";
    query.MostHitsPerFile = 1;
    query.KeepLines = false;
    std::atomic<int> readyCalls{0};
    FileSearch search(sources, query, 3, [&] { ++readyCalls; });
    std::vector<SearchedFile> files;
    while (!search.Done()) {
        while (std::optional<SearchedFile> file = search.TakeReady())
            files.push_back(std::move(*file));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(files.size(), sources.size());
    const std::vector<NotListedReason> reasons = {NotListedReason::None, NotListedReason::NoFile,
                                                  NotListedReason::NotZvw, NotListedReason::None,
                                                  NotListedReason::None};
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].Index, i);
        EXPECT_EQ(files[i].Opened.Reason, reasons[i]) << i;
        EXPECT_TRUE(files[i].Lines.empty());
    }
    EXPECT_EQ(files[0].Hits, 1U);
    EXPECT_EQ(files[4].Hits, 1U);
    EXPECT_TRUE(files[3].Opened.Partial());
    EXPECT_EQ(files[3].Hits, 0U);
    EXPECT_GE(readyCalls.load(), 1);

    // Memory that runs out reading a file is that file's; any other fault
    // reaches the taker, for its guard.
    ArmFault(FaultKind::OutOfMemory);
    FileSearch short_(sources, query, 1);
    EXPECT_EQ(short_.Take()->Opened.Reason, NotListedReason::TooLarge);
    EXPECT_EQ(short_.Take()->Opened.Reason, NotListedReason::NoFile);
    ArmFault(FaultKind::Internal);
    FileSearch faulty(sources, query, 2);
    EXPECT_THROW(while (faulty.Take()) {}, std::logic_error);
    DisarmFault();
}

}  // namespace
}  // namespace vaveze
