// The numbered jobs whose results come in order, and the search of many
// files built on them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/session/orderedjobs.h"

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

}  // namespace
}  // namespace vaveze
