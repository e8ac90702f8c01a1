#include "winapp/panefill.h"

#include <richedit.h>

#include <algorithm>
#include <chrono>

namespace vaveze::win {
namespace {

// The first piece is at most this many lines (a few milliseconds of short
// lines) or characters (of long ones).
constexpr std::size_t kFirstPieceLines = 2'000;
constexpr std::size_t kFirstPieceCharacters = 200'000;
// Each later piece is sized to take about this long: well under the tenth
// of a second in which a window seems to answer at once.
constexpr auto kSlice = std::chrono::milliseconds(25);
// A piece grows or shrinks at most this much from one slice to the next, so
// that a slice slowed down by something else does not upset the next.
constexpr double kMostChange = 2.0;
constexpr double kSmallestScale = 0.25;
// The undo history the pane keeps once the fill is done (the control's own
// default).
constexpr WPARAM kUndoSteps = 100;

}  // namespace

void PaneFill::Start(std::u16string_view text, std::size_t lines)
{
    Stop();
    // The pane ends a line with CR.
    text_.assign(text.begin(), text.end());
    std::replace(text_.begin(), text_.end(), L'\n', L'\r');
    position_ = 0;
    lines_ = lines;
    linesShown_ = 0;
    scale_ = 1.0;
    running_ = true;
    // No history: the listing cannot be undone, and keeping it would cost.
    ::SendMessageW(pane_, EM_SETUNDOLIMIT, 0, 0);
    ::SendMessageW(pane_, EM_SETREADONLY, TRUE, 0);
    ::SetWindowTextW(pane_, L"");
    AppendPiece();
    if (position_ >= text_.size())
        Done();
}

bool PaneFill::Continue()
{
    if (!running_)
        return false;
    const auto start = std::chrono::steady_clock::now();
    AppendPiece();
    const double taken = std::max(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1e-6);
    const double wanted = std::chrono::duration<double>(kSlice).count();
    scale_ = std::max(scale_ * std::clamp(wanted / taken, 1 / kMostChange, kMostChange), kSmallestScale);
    if (position_ >= text_.size())
        Done();
    return running_;
}

void PaneFill::Stop()
{
    if (!running_)
        return;
    running_ = false;
    text_.clear();
    text_.shrink_to_fit();
    ::SendMessageW(pane_, EM_SETREADONLY, FALSE, 0);
    ::SendMessageW(pane_, EM_SETUNDOLIMIT, kUndoSteps, 0);
}

void PaneFill::AppendPiece()
{
    const auto mostLines = static_cast<std::size_t>(static_cast<double>(kFirstPieceLines) * scale_);
    const auto mostCharacters = static_cast<std::size_t>(static_cast<double>(kFirstPieceCharacters) * scale_);
    // A piece after the first starts with the line end of the line before,
    // so that the pane never holds an empty last line meanwhile.
    const std::size_t last = std::min(text_.size(), position_ + std::max<std::size_t>(mostCharacters, 1));
    std::size_t end = position_;
    std::size_t lineEnds = 0;
    for (; end < last; ++end) {
        if (text_[end] == L'\r') {
            if (end != position_ && lineEnds == mostLines)
                break;
            ++lineEnds;
        }
    }
    if (end < text_.size() && end > position_ + 1 && IS_HIGH_SURROGATE(text_[end - 1]))
        --end;
    // Put at the end without moving what the user sees or has selected.
    CHARRANGE selection{};
    POINT scrolled{};
    ::SendMessageW(pane_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    ::SendMessageW(pane_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    ::SendMessageW(pane_, WM_SETREDRAW, FALSE, 0);
    // Only the fill writes to the pane while it runs: its end is where the
    // last piece ended.
    CHARRANGE atEnd{static_cast<LONG>(position_), static_cast<LONG>(position_)};
    ::SendMessageW(pane_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&atEnd));
    const std::wstring piece = text_.substr(position_, end - position_);
    ::SendMessageW(pane_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    ::SendMessageW(pane_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    ::SendMessageW(pane_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    ::SendMessageW(pane_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(pane_, nullptr, TRUE);
    linesShown_ += (position_ == 0 ? 1 : 0) + lineEnds;
    position_ = end;
}

void PaneFill::Done()
{
    running_ = false;
    linesShown_ = lines_;
    text_.clear();
    text_.shrink_to_fit();
    ::SendMessageW(pane_, EM_SETREADONLY, FALSE, 0);
    ::SendMessageW(pane_, EM_SETUNDOLIMIT, kUndoSteps, 0);
    ::SendMessageW(pane_, EM_EMPTYUNDOBUFFER, 0, 0);
    ::SendMessageW(pane_, EM_SETMODIFY, FALSE, 0);
}

}  // namespace vaveze::win
