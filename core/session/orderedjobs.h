// Numbered jobs run on worker threads, their results handed over in the
// jobs' order: the tool's -j and the search of many files in a window share it.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

namespace vaveze {

// The WebAssembly builds have no threads: there each job runs when its
// result is asked for, with the same results in the same order.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
inline constexpr bool kThreadsAvailable = false;
#else
inline constexpr bool kThreadsAvailable = true;
#endif

// The jobs to run at once when the user named no number: one per processor.
[[nodiscard]] inline unsigned ProcessorCount()
{
    const unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : processors;
}

// Runs produce(i) for every i below `count`, `jobs` at a time, and hands
// the results over strictly in the order of i, to one taker at a time.
// A job is started only while fewer than `waiting` results (at least
// `jobs`) wait to be taken, so memory stays within that of so many jobs
// however slowly results are taken. `produce` must not throw; it runs on
// several threads at once.
//
// Two ways to take the results:
// - Take, by a thread that has nothing else to do (the tool's main thread):
//   while the next result is not ready it runs the next job itself, so
//   that `jobs` threads work, itself included; with one job, everything
//   runs on it.
// - TryTake, from an event loop that must not wait (a window): give
//   `ready`, and `jobs` worker threads run the jobs. `ready` is called on a
//   worker whenever the next result in order has become ready: the window
//   posts itself a message there and takes what is ready when it comes.
//   It must not call back into the jobs. Where there are no threads it is
//   never called, and TryTake runs the next job itself. A taker that comes
//   round at its own pace (a timer's tick) rather than when woken lets more
//   results wait (`waiting`), so that the workers go on meanwhile.
template <class Result>
class OrderedJobs {
public:
    using Produce = std::function<Result(std::size_t)>;
    using Ready = std::function<void()>;

    OrderedJobs(std::size_t count, unsigned jobs, Produce produce, Ready ready = {}, std::size_t waiting = 0)
        : count_(count),
          produce_(std::move(produce)),
          ready_(std::move(ready)),
          slots_(std::max<std::size_t>(waiting, std::max(jobs, 1U)))
    {
        if (!kThreadsAvailable)
            return;
        const std::size_t threads = std::max(jobs, 1U);
        const std::size_t workers = std::min(ready_ ? threads : threads - 1, count_);
        try {
            for (std::size_t t = 0; t < workers; ++t)
                threads_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // The system gave fewer threads than asked: those there are do
            // the work; with none at all, the taker does it.
        } catch (const std::bad_alloc&) {
            // No memory for one more: the same.
        }
    }

    ~OrderedJobs()
    {
        Stop();
        for (std::thread& thread : threads_)
            thread.join();
    }

    OrderedJobs(const OrderedJobs&) = delete;
    OrderedJobs& operator=(const OrderedJobs&) = delete;

    // The next result in order if it is ready, without waiting; nothing
    // once every result was taken or the jobs were stopped.
    [[nodiscard]] std::optional<Result> TryTake() { return Next(false); }

    // The next result in order, waiting for it; nothing once every result
    // was taken or the jobs were stopped.
    [[nodiscard]] std::optional<Result> Take() { return Next(true); }

    // No job starts any more and nothing more is handed over; the jobs
    // running finish (a job that can stop early watches a flag of its own).
    // Safe from any thread.
    void Stop() noexcept
    {
        {
            const std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_all();
    }

    // Every result taken, or stopped.
    [[nodiscard]] bool Done() const
    {
        const std::lock_guard lock(mutex_);
        return stopped_ || taken_ == count_;
    }

    [[nodiscard]] std::size_t Count() const noexcept { return count_; }

private:
    void Work()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            // Job i fills the slot of job i - jobs, which must have been taken.
            changed_.wait(lock, [this] { return stopped_ || next_ >= count_ || next_ < taken_ + slots_.size(); });
            if (stopped_ || next_ >= count_)
                return;
            const std::size_t i = next_++;
            lock.unlock();
            Result result = produce_(i);
            lock.lock();
            slots_[i % slots_.size()].emplace(std::move(result));
            if (i != taken_)
                continue;
            changed_.notify_all();
            if (ready_) {
                lock.unlock();
                ready_();
                lock.lock();
            }
        }
    }

    std::optional<Result> Next(bool wait)
    {
        // A taker who would wait works instead; one that must not wait
        // works only where no worker will.
        const bool works = wait || threads_.empty();
        std::unique_lock lock(mutex_);
        for (;;) {
            if (stopped_ || taken_ >= count_)
                return std::nullopt;
            std::optional<Result>& slot = slots_[taken_ % slots_.size()];
            if (slot) {
                std::optional<Result> result = std::move(slot);
                slot.reset();
                ++taken_;
                lock.unlock();
                changed_.notify_all();
                return result;
            }
            if (works && next_ < count_ && next_ < taken_ + slots_.size()) {
                const std::size_t i = next_++;
                lock.unlock();
                Result result = produce_(i);
                lock.lock();
                if (i != taken_) {
                    slots_[i % slots_.size()].emplace(std::move(result));
                    continue;
                }
                if (stopped_)
                    return std::nullopt;
                ++taken_;
                lock.unlock();
                changed_.notify_all();
                return result;
            }
            if (!wait)
                return std::nullopt;
            changed_.wait(lock, [&] { return stopped_ || slot.has_value(); });
        }
    }

    const std::size_t count_;
    Produce produce_;
    Ready ready_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<Result>> slots_;  // job i's result waits in slot i % slots_.size()
    std::size_t next_ = 0;                      // the next job a worker takes
    std::size_t taken_ = 0;                     // results handed over
    bool stopped_ = false;
    std::vector<std::thread> threads_;  // last: they start once everything else is set
};

}  // namespace vaveze
