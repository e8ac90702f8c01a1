// The size of each piece of a pane fill.
#include "core/window/panepacing.h"

#include <algorithm>

#include "core/window/windowtable.h"

namespace vaveze::window {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

void PanePacing::Start(std::u16string_view text, std::size_t lines)
{
    text_ = text;
    lines_ = lines;
    position_ = 0;
    linesShown_ = 0;
    pieces_ = 0;
    scale_ = 1.0;
}

Piece PanePacing::Next()
{
    if (Done())
        return {position_, position_};
    const auto pieceLines = static_cast<std::size_t>(static_cast<double>(kFirstPieceLines) * scale_);
    const auto pieceCharacters = static_cast<std::size_t>(static_cast<double>(kFirstPieceCharacters) * scale_);
    const std::size_t last = std::min(text_.size(), position_ + pieceCharacters);
    std::size_t end = position_;
    std::size_t lineEnds = 0;
    for (; end < last; ++end) {
        if (text_[end] == u'\n') {
            if (end != position_ && lineEnds == pieceLines)
                break;
            ++lineEnds;
        }
    }
    if (end < text_.size() && end - 1 > position_ && IsHighSurrogate(text_[end - 1]))
        --end;
    const Piece piece{position_, end};
    if (position_ == 0)
        linesShown_ = 1;
    linesShown_ += lineEnds;
    position_ = end;
    ++pieces_;
    if (Done())
        linesShown_ = lines_;
    return piece;
}

void PanePacing::Took(std::int64_t nanoseconds)
{
    if (pieces_ < 2)
        return;
    const double taken = static_cast<double>(std::max<std::int64_t>(nanoseconds, 1));
    const double change =
        std::clamp(static_cast<double>(kSliceNanoseconds) / taken, 1 / kMostPieceChange, kMostPieceChange);
    scale_ = std::max(scale_ * change, kSmallestPieceScale);
}

}  // namespace vaveze::window
