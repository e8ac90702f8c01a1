#include "cli/progress.h"

#include <cstdio>

#include "cli/messages.h"
#include "cli/platform.h"

namespace vaveze::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string Count(std::uint64_t n) { return std::to_string(n); }

std::string MinutesSeconds(std::uint64_t seconds)
{
    const std::uint64_t s = seconds % 60;
    return std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

// Columns a UTF-8 text takes on a terminal: CJK characters take two.
std::size_t Width(const std::string& text)
{
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80)
            continue;
        width += c >= 0xE3 ? 2 : 1;  // U+3000 and up: the wide characters of these messages
    }
    return width;
}

}  // namespace

std::string Summary(const Tally& t)
{
    const std::uint64_t files = t.Complete + t.Partial + t.NotRecognised + t.WriteFailed;
    return Fill(TrN("%1 file: %2 complete, %3 partial, %4 not recognised, %5 failed to write",
                    "%1 files: %2 complete, %3 partial, %4 not recognised, %5 failed to write", files),
                {Count(files), Count(t.Complete), Count(t.Partial), Count(t.NotRecognised), Count(t.WriteFailed)});
}

ProgressLine::ProgressLine(bool enabled, std::uint64_t files, std::uint64_t bytes)
    : enabled_(enabled), files_(files), bytes_(bytes)
{
}

void ProgressLine::Advance(std::uint64_t bytes)
{
    ++filesDone_;
    bytesDone_ += bytes;
    if (!enabled_)
        return;
    const Clock::time_point now = Clock::now();
    if (now - lastDraw_ < kRedrawInterval)
        return;
    lastDraw_ = now;
    Draw();
}

void ProgressLine::Draw()
{
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(bytesDone_) / seconds : 0;
    char mbps[32];
    std::snprintf(mbps, sizeof mbps, "%.1f", rate / 1e6);
    const std::uint64_t left =
        rate > 0 && bytes_ > bytesDone_ ? static_cast<std::uint64_t>(static_cast<double>(bytes_ - bytesDone_) / rate) : 0;
    const std::string text = Fill(Tr("%1/%2 files, %3 MB/s, %4 left"),
                                  {Count(filesDone_), Count(files_), mbps, MinutesSeconds(left)});
    const std::size_t width = Width(text);
    std::string line = "\r" + text;
    if (width < shownWidth_)
        line.append(shownWidth_ - width, ' ');
    shownWidth_ = width;
    platform::WriteMessage(line);
}

void ProgressLine::Hide()
{
    if (shownWidth_ == 0)
        return;
    std::string blank(shownWidth_ + 2, ' ');
    blank.front() = '\r';
    blank.back() = '\r';
    platform::WriteMessage(blank);
    shownWidth_ = 0;
}

}  // namespace vaveze::cli
