// Fills the listing pane a slice at a time from the message loop, so that
// the window keeps answering while a listing of hundreds of thousands of
// lines goes in. The first piece goes in at once, so the first screen of
// lines is there when the window next paints; each later slice is one
// piece, sized to take about a fortieth of a second.
//
// While a fill runs the pane is read-only (the lines still to come are
// appended at its end) and keeps no undo history; afterwards it is editable,
// unmodified, with a fresh history. Appending keeps the user's selection and
// scroll position: the user may read the first lines while the rest arrive.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace vaveze::win {

class PaneFill {
public:
    explicit PaneFill(HWND pane) : pane_(pane) {}

    // Empties the pane and puts the first piece of `text` in (lines ended by
    // '\n'); Continue puts in the rest. A fill still running is dropped.
    void Start(std::u16string_view text, std::size_t lines);
    // The next slice; false once the whole listing is in.
    bool Continue();
    // Stops where it is; the pane keeps what it holds and becomes editable.
    void Stop();

    [[nodiscard]] bool Running() const noexcept { return running_; }
    [[nodiscard]] std::size_t LinesShown() const noexcept { return linesShown_; }
    [[nodiscard]] std::size_t LineCount() const noexcept { return lines_; }

private:
    // Appends the next piece, of the first piece's size times scale_.
    void AppendPiece();
    void Done();

    HWND pane_;
    std::wstring text_;  // the listing with the pane's line ends
    std::size_t position_ = 0;
    std::size_t lines_ = 0;
    std::size_t linesShown_ = 0;
    double scale_ = 1.0;
    bool running_ = false;
};

}  // namespace vaveze::win
