// Finding a text in a pane's text and in a file's listing.
#include "core/session/find.h"

#include <algorithm>
#include <string>
#include <utility>

#include "core/session/session.h"
#include "core/text/cp932.h"

namespace vaveze {
namespace {

constexpr char16_t Folded(char16_t c) noexcept
{
    for (const LetterFold& fold : kLetterFolds) {
        if (c >= fold.First && c <= fold.Last)
            return static_cast<char16_t>(c - fold.First + fold.Folded);
    }
    return c;
}

bool SameFolded(char16_t a, char16_t b) noexcept { return Folded(a) == Folded(b); }

constexpr std::size_t npos = std::u16string_view::npos;

// The first (Forward) or the last (Backward) match starting in [begin,
// end), or npos.
std::size_t MatchIn(std::u16string_view text, std::u16string_view needle, std::size_t begin, std::size_t end,
                    FindDirection direction)
{
    end = std::min(end, text.size());
    if (begin >= end || needle.size() > text.size() - begin)
        return npos;
    // A match that starts before `end` may run on past it.
    const auto hay = text.substr(begin, std::min(end + needle.size() - 1, text.size()) - begin);
    const auto found = direction == FindDirection::Forward
                           ? std::search(hay.begin(), hay.end(), needle.begin(), needle.end(), SameFolded)
                           : std::find_end(hay.begin(), hay.end(), needle.begin(), needle.end(), SameFolded);
    return found == hay.end() ? npos : begin + static_cast<std::size_t>(found - hay.begin());
}

// Decodes each line as the pane shows it and stops at the first that holds
// the needle.
class HoldsSink final : public LineSink {
public:
    explicit HoldsSink(std::u16string_view needle, std::size_t from = 0) : needle_(needle), from_(from) {}

    void Clear() override { found_ = false, line_number_ = 0; }
    [[nodiscard]] bool Append(std::string_view line) override
    {
        if (line_number_++ < from_)
            return true;
        line_.resize(line.size());
        const DecodedLength decoded = DecodeCp932Into(line, ControlBytes::AsRawByte, line_.data());
        line_.resize(decoded.Units);
        found_ = MatchIn(line_, needle_, 0, line_.size(), FindDirection::Forward) != npos;
        return !found_;
    }
    [[nodiscard]] bool Found() const noexcept { return found_; }
    // The line that holds it, once found.
    [[nodiscard]] std::size_t Line() const noexcept { return line_number_ - 1; }

private:
    std::u16string_view needle_;
    std::size_t from_;
    std::size_t line_number_ = 0;
    std::u16string line_;
    bool found_ = false;
};

}  // namespace

std::optional<TextMatch> FindInText(std::u16string_view text, std::u16string_view needle, std::size_t from,
                                    FindDirection direction)
{
    if (needle.empty())
        return std::nullopt;
    from = std::min(from, text.size());
    // The side of `from` the search goes to, then the other, round the end
    // (or the start).
    const std::pair<std::size_t, std::size_t> before{0, from};
    const std::pair<std::size_t, std::size_t> after{from, text.size()};
    const auto [near, far] = direction == FindDirection::Forward ? std::pair{after, before} : std::pair{before, after};
    bool wrapped = false;
    std::size_t at = MatchIn(text, needle, near.first, near.second, direction);
    if (at == npos) {
        at = MatchIn(text, needle, far.first, far.second, direction);
        wrapped = at != npos;
    }
    if (at == npos)
        return std::nullopt;
    return TextMatch{at, needle.size(), wrapped};
}

std::u16string_view FindFieldStart(std::u16string_view selection, std::u16string_view filter,
                                   std::u16string_view lastQuery) noexcept
{
    // Every front's line ends: LF and CR, the rich edit's VT, the paragraph
    // and line separators of Qt's selections.
    constexpr std::u16string_view kLineEnds = u"\n\r\v\u2028\u2029";
    if (!selection.empty() && selection.size() <= kLongestFindSelection &&
        selection.find_first_of(kLineEnds) == std::u16string_view::npos)
        return selection;
    return filter.empty() ? lastQuery : filter;
}

bool ListingHolds(const Session& session, const ListingOptions& options, std::u16string_view needle)
{
    if (needle.empty() || !session.HasListing())
        return false;
    HoldsSink sink(needle);
    (void)session.List(options, sink);
    return sink.Found();
}

std::optional<std::size_t> LineHolding(const Session& session, const ListingOptions& options,
                                       std::u16string_view needle, std::size_t from)
{
    if (needle.empty() || !session.HasListing())
        return std::nullopt;
    HoldsSink sink(needle, from);
    (void)session.List(options, sink);
    if (!sink.Found())
        return std::nullopt;
    return sink.Line();
}

}  // namespace vaveze
