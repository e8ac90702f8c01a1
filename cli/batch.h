// Runs the files of a batch on several threads while everything they write
// comes out in the batch's order.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace vaveze::cli {

// The WebAssembly build for Node has no threads: its files are read one
// after another, whatever -j asks, with the same output.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
inline constexpr bool kThreadsAvailable = false;
#else
inline constexpr bool kThreadsAvailable = true;
#endif

// Calls prepare(i) for every i below `count` on up to `jobs` threads, and
// finish(i, prepared) strictly in the order of i, one call at a time. A
// thread keeps its prepared result until its turn and takes the next index
// only after finishing, so no more than `jobs` results exist at once: the
// memory of a batch stays within that of `jobs` single files. Neither
// callable may throw.
template <class Prepare, class Finish>
void RunInOrder(std::size_t count, unsigned jobs, Prepare prepare, Finish finish)
{
    if (!kThreadsAvailable || jobs <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            auto prepared = prepare(i);
            finish(i, prepared);
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable turnChanged;
    std::size_t turn = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            auto prepared = prepare(i);
            std::unique_lock lock(mutex);
            // Indices are taken in increasing order, so the thread whose turn
            // it is never waits: no deadlock, whatever the timing.
            turnChanged.wait(lock, [&] { return turn == i; });
            finish(i, prepared);
            ++turn;
            turnChanged.notify_all();
        }
    };
    std::vector<std::thread> threads;
    struct JoinAll {
        std::vector<std::thread>& Threads;
        ~JoinAll()
        {
            for (std::thread& thread : Threads)
                thread.join();
        }
    } joinAll{threads};
    const auto n = static_cast<std::size_t>(std::min<std::size_t>(jobs, count));
    try {
        for (std::size_t t = 1; t < n; ++t)
            threads.emplace_back(work);
    } catch (const std::system_error&) {
        // The system gave fewer threads than asked: those there are do the work.
    }
    work();
}

}  // namespace vaveze::cli
