// The pace of a pane fill, for every front: a big listing goes into the pane
// a piece at a time from the front's event loop, so that the window keeps
// answering while millions of lines go in. The first piece is small, so the
// first screen of lines is there when the window next paints; each later one
// is sized from how long the front took to put the one before in. A piece
// ends at a line end, never between the two halves of a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vaveze::window {

// A piece of the listing: [From, To) in its UTF-16 units.
struct Piece {
    std::size_t From = 0;
    std::size_t To = 0;
};

class PanePacing {
public:
    // A new fill of `text` (`lines` lines joined by '\n'); the text must
    // outlive the fill.
    void Start(std::u16string_view text, std::size_t lines);
    // The next piece to append; an empty one once everything is in. A piece
    // after the first starts with the line end of the line before it, so
    // that appending never leaves an empty line behind.
    [[nodiscard]] Piece Next();
    // How long the front took to append the last piece: sizes the next one.
    // The first piece, put in at once, does not count.
    void Took(std::int64_t nanoseconds);

    [[nodiscard]] bool Done() const noexcept { return position_ >= text_.size(); }
    [[nodiscard]] std::size_t LinesShown() const noexcept { return linesShown_; }
    [[nodiscard]] std::size_t LineCount() const noexcept { return lines_; }

private:
    std::u16string_view text_;
    std::size_t lines_ = 0;
    std::size_t position_ = 0;
    std::size_t linesShown_ = 0;
    std::size_t pieces_ = 0;
    double scale_ = 1.0;  // of the first piece's size
};

}  // namespace vaveze::window
