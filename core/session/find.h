// Finding what the user typed in a listing as a pane shows it: in the
// pane's own text (find next and previous, wrapping), and in a file's fresh
// listing (the file list's filter). One rule for every window: the text is
// compared as shown, letters of the Latin alphabet (ASCII and full-width)
// without regard to case, everything else as it is.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "core/listing/listing.h"

namespace vaveze {

class Session;

enum class FindDirection : std::uint8_t { Forward, Backward };

// The letters compared without regard to case: each from First to Last is
// the same as the one as far from Folded. One UTF-16 unit each way, so a
// position in the folded text is one in the text. A front whose find runs
// elsewhere (the page's editor) is given this table.
struct LetterFold {
    char16_t First;
    char16_t Last;
    char16_t Folded;
};
inline constexpr LetterFold kLetterFolds[] = {
    {u'A', u'Z', u'a'},
    {u'\uFF21', u'\uFF3A', u'\uFF41'},  // Ａ-Ｚ, ａ-ｚ
};

struct TextMatch {
    std::size_t Position = 0;  // in UTF-16 units
    std::size_t Length = 0;
    bool Wrapped = false;  // found only after going round the end (or the start)
};

// The next match of `needle` in `text` starting at or after `from`
// (Forward), or the last one starting before `from` (Backward); past the
// end (or the start) the search goes round once. Nothing for an empty
// needle or no match anywhere. A front finds the next match from the end
// of its selection, the previous one from its start, and a needle being
// typed from the selection's start, so that the match grows in place.
[[nodiscard]] std::optional<TextMatch> FindInText(std::u16string_view text, std::u16string_view needle,
                                                  std::size_t from, FindDirection direction);

// The longest selection find starts from: one past it is no query anybody
// meant to type.
inline constexpr std::size_t kLongestFindSelection = 1'000;

// What the find field holds, selected, when find is opened (Ctrl+F), in
// every front: the pane's selection when it lies within one line (and is
// at most kLongestFindSelection long), else the text of the file list's
// filter when it holds any, else the query last looked for. A view of one
// of the three.
[[nodiscard]] std::u16string_view FindFieldStart(std::u16string_view selection, std::u16string_view filter,
                                                 std::u16string_view lastQuery) noexcept;

// Whether the kept parse of `session`, listed with `options`, holds
// `needle` in one of its lines as the pane shows them. False for an empty
// needle or a session without a listing.
[[nodiscard]] bool ListingHolds(const Session& session, const ListingOptions& options, std::u16string_view needle);

// The first line, numbered from 0, at or after line `from` of that listing
// that holds `needle`: where a find goes on past what a pane holds. Nothing
// for an empty needle, a session without a listing or no such line.
[[nodiscard]] std::optional<std::size_t> LineHolding(const Session& session, const ListingOptions& options,
                                                     std::u16string_view needle, std::size_t from);

}  // namespace vaveze
