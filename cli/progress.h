// Signs of life during a batch: the progress line on a terminal, and the
// one-line summary at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vaveze::cli {

// How each file of a batch ended.
struct Tally {
    std::uint64_t Complete = 0;
    std::uint64_t Partial = 0;
    std::uint64_t NotRecognised = 0;
    std::uint64_t WriteFailed = 0;
};

// "N files: a complete, b partial, c not recognised, d failed to write".
[[nodiscard]] std::string Summary(const Tally& tally);

// One line on standard error, redrawn in place at most ten times a second,
// cleared by Hide (to write other lines) and at the end. Does nothing when
// not enabled.
class ProgressLine {
public:
    ProgressLine(bool enabled, std::uint64_t files, std::uint64_t bytes);
    ~ProgressLine() { Hide(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // One more file done, of `bytes` bytes.
    void Advance(std::uint64_t bytes);
    void Hide();

private:
    using Clock = std::chrono::steady_clock;
    void Draw();

    bool enabled_;
    std::uint64_t files_, bytes_;
    std::uint64_t filesDone_ = 0, bytesDone_ = 0;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDraw_{};
    std::size_t shownWidth_ = 0;  // columns the line on screen takes, 0 when none is shown
};

}  // namespace vaveze::cli
