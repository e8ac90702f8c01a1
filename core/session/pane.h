// The listing as a pane shows it, and the pane's text back to the bytes of a
// saved listing: one algorithm for every front.
//
// The pane shows text, but the listing is Shift-JIS bytes that need not be
// valid Shift-JIS. Every line is shown through the code page 932 decoder,
// with invalid and control bytes as raw-byte characters, which encode back
// exactly. The only lines whose shown text does not encode back to their
// bytes are those holding a code that shares its character with another
// code (ED 40 and FA 5C are both U+7E8A); the pane listing keeps their bytes,
// and saving gives them back wherever the user left such a line untouched,
// whatever was inserted, deleted or moved around it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/listing/listing.h"
#include "core/text/typedtext.h"

namespace vaveze {

// Most characters a pane holds; a line end counts as one character.
inline constexpr std::size_t kPaneCharacterLimit = 8'200'000;

class PaneListing final : public LineSink {
public:
    explicit PaneListing(std::size_t characterLimit = kPaneCharacterLimit) : limit_(characterLimit) {}

    void Clear() override;
    // Refuses a line whose characters and line end would pass the limit;
    // the pane is full from then on.
    [[nodiscard]] bool Append(std::string_view line) override;

    // The lines as shown, joined by '\n' (no line end after the last).
    [[nodiscard]] const std::u16string& Text() const noexcept { return text_; }
    [[nodiscard]] std::size_t LineCount() const noexcept { return lines_; }
    // A line did not fit: the listing stops before it.
    [[nodiscard]] bool Full() const noexcept { return full_; }

    // Lines whose shown text does not encode back to their bytes: line
    // number (from 0) and the line's bytes, in line order.
    using KeptLines = std::vector<std::pair<std::size_t, std::string>>;
    [[nodiscard]] const KeptLines& Kept() const noexcept { return kept_; }

private:
    std::size_t limit_;
    std::size_t used_ = 0;
    std::size_t lines_ = 0;
    bool full_ = false;
    std::u16string text_;
    KeptLines kept_;
};

// The pane's text as the bytes to save: each line followed by CR LF, in
// Shift-JIS. `paneText` is what the pane holds now, lines ended by '\n' (a
// last empty line is only the end of the line before it; U+2028 typed inside
// a line ends a line too). Lines the user did not touch keep their exact
// bytes wherever lines were inserted, deleted or moved around them; a line
// the user changed keeps the bytes of its unchanged beginning and end; typed
// text is encoded, and the characters code page 932 lacks are named in
// Unencodable before anything is written.
[[nodiscard]] SavedText PaneBytes(const PaneListing& listed, std::u16string_view paneText);

}  // namespace vaveze
