// The search of many files as a window runs it: FileSearch for 浴室 over
// the archive of 2,000 drawings, on one thread per processor, taken by a
// "window" thread that sleeps until the search's ready callback wakes it
// (as a posted message wakes an event loop) and then takes every file
// ready. Timed from the search's start: first_hit_ms to the first file
// with a hit in the window's hands, last_ms (the iteration's time) to the
// last file; walk_ms is the folder's walk before it, as when it was dropped.
// With every check box on (/1) and with none (/0).
//
// SearchThroughTheFlow: the same search as the windows run it, through the
// window flow: the folder dropped, 浴室 typed, then the event loop's timer
// ticks every kSearchTakeMs handing TimerFired to the flow, which takes what
// the workers found. Timed from the end of the typing pause: first_hit_ms
// to the first hit in the flow's list of hits, last_ms to the search's end.
//
//   vaveze_search_bench --files=FOLDER [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_common.h"
#include "bench/bench_files.h"
#include "core/session/search.h"
#include "core/session/walk.h"
#include "core/window/windowflow.h"
#include "core/window/windowtable.h"

namespace {

using namespace vaveze;
using namespace vaveze::bench;
using Clock = std::chrono::steady_clock;

std::string gFolder;

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

void SearchArchive(benchmark::State& state)
{
    SearchQuery query;
    query.Needle = u"浴室";
    if (state.range(0) != 0)
        query.Listing = kEveryOption;
    double firstHit = 0;
    double walk = 0;
    std::size_t hits = 0;
    std::size_t files = 0;
    for (auto _ : state) {
        const Clock::time_point walkStart = Clock::now();
        std::vector<Source> sources = CollectSources({gFolder + "/" + std::string(kArchiveFolder)}, true);
        walk = Milliseconds(Clock::now() - walkStart);

        std::mutex mutex;
        std::condition_variable posted;
        bool message = false;
        const Clock::time_point start = Clock::now();
        FileSearch search(std::move(sources), query, 0, [&] {
            const std::lock_guard lock(mutex);
            message = true;
            posted.notify_one();
        });
        hits = 0;
        files = 0;
        firstHit = -1;
        while (!search.Done()) {
            std::unique_lock lock(mutex);
            posted.wait_for(lock, std::chrono::milliseconds(100), [&] { return message; });
            message = false;
            lock.unlock();
            while (std::optional<SearchedFile> file = search.TakeReady()) {
                ++files;
                hits += file->Hits;
                if (file->Hits > 0 && firstHit < 0)
                    firstHit = Milliseconds(Clock::now() - start);
            }
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.counters["first_hit_ms"] = firstHit;
    state.counters["walk_ms"] = walk;
    state.counters["files"] = static_cast<double>(files);
    state.counters["hits"] = static_cast<double>(hits);
}

BENCHMARK(SearchArchive)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void SearchThroughTheFlow(benchmark::State& state)
{
    namespace w = vaveze::window;
    double firstHit = 0;
    std::size_t hits = 0;
    std::size_t ticks = 0;
    for (auto _ : state) {
        w::WindowFlow flow;
        (void)flow.Update(w::action::FilesDropped{{gFolder + "/" + std::string(kArchiveFolder)}});
        (void)flow.Update(w::action::FilterTyped{u"浴室"});
        const Clock::time_point start = Clock::now();
        (void)flow.Update(w::action::TimerFired{w::Timer::FilterTyping});
        firstHit = -1;
        ticks = 0;
        Clock::time_point tick = start;
        while (flow.HitsProgress().Running) {
            tick += std::chrono::milliseconds(w::kSearchTakeMs);
            std::this_thread::sleep_until(tick);
            (void)flow.Update(w::action::TimerFired{w::Timer::FilterStep});
            ++ticks;
            if (firstHit < 0 && !flow.Hits().empty())
                firstHit = Milliseconds(Clock::now() - start);
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        hits = flow.HitsProgress().Hits;
    }
    state.counters["first_hit_ms"] = firstHit;
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["ticks"] = static_cast<double>(ticks);
}

BENCHMARK(SearchThroughTheFlow)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    gFolder = TakeFolderArgument(argc, argv);
    if (gFolder.empty()) {
        std::fprintf(stderr, "usage: %s --files=FOLDER [benchmark flags]\n", argv[0]);
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
