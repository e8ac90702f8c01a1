// The listing as a pane shows it, and the pane back to bytes.
#include "core/session/pane.h"

#include <algorithm>
#include <unordered_map>

#include "core/text/cp932.h"

namespace vaveze {
namespace {

using LineViews = std::vector<std::u16string_view>;
constexpr std::size_t kUnmatched = static_cast<std::size_t>(-1);

LineViews SplitLines(std::u16string_view text)
{
    LineViews lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(u'\n', start), text.size());
        if (end == text.size() && start == end)
            break;  // a last empty line is only the end of the line before it
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The longest run of anchors increasing in both sides (patience sorting):
// anchors come sorted by their pane line; the result keeps those whose
// original lines increase too.
std::vector<std::pair<std::size_t, std::size_t>> LongestIncreasing(
    const std::vector<std::pair<std::size_t, std::size_t>>& anchors)
{
    std::vector<std::size_t> tops;  // index into anchors of each pile's top
    std::vector<std::size_t> before(anchors.size(), kUnmatched);
    for (std::size_t i = 0; i < anchors.size(); ++i) {
        const auto pile = std::partition_point(tops.begin(), tops.end(), [&](std::size_t top) {
            return anchors[top].first < anchors[i].first;
        });
        if (pile != tops.begin())
            before[i] = *(pile - 1);
        if (pile == tops.end())
            tops.push_back(i);
        else
            *pile = i;
    }
    std::vector<std::pair<std::size_t, std::size_t>> run;
    for (std::size_t i = tops.empty() ? kUnmatched : tops.back(); i != kUnmatched; i = before[i])
        run.push_back(anchors[i]);
    std::reverse(run.begin(), run.end());
    return run;
}

// For every pane line, the original line it is, or kUnmatched: the lines of
// equal ends, then, between them, the lines found once on each side in the
// same order, and again within every gap those leave (a patience diff).
std::vector<std::size_t> Align(const LineViews& original, const LineViews& pane)
{
    std::vector<std::size_t> match(pane.size(), kUnmatched);
    struct Range {
        std::size_t A0, A1, B0, B1;
    };
    std::vector<Range> pending{{0, original.size(), 0, pane.size()}};
    while (!pending.empty()) {
        auto [a0, a1, b0, b1] = pending.back();
        pending.pop_back();
        while (a0 < a1 && b0 < b1 && original[a0] == pane[b0])
            match[b0++] = a0++;
        while (a0 < a1 && b0 < b1 && original[a1 - 1] == pane[b1 - 1])
            match[--b1] = --a1;
        if (a0 == a1 || b0 == b1)
            continue;

        struct Seen {
            std::size_t InOriginal = 0, InPane = 0;
            std::size_t OriginalLine = 0, PaneLine = 0;
        };
        std::unordered_map<std::u16string_view, Seen> seen;
        for (std::size_t a = a0; a < a1; ++a) {
            Seen& s = seen[original[a]];
            ++s.InOriginal;
            s.OriginalLine = a;
        }
        std::vector<std::pair<std::size_t, std::size_t>> anchors;  // (original, pane)
        for (std::size_t b = b0; b < b1; ++b) {
            const auto found = seen.find(pane[b]);
            if (found == seen.end())
                continue;
            ++found->second.InPane;
            found->second.PaneLine = b;
        }
        for (std::size_t b = b0; b < b1; ++b) {
            const auto found = seen.find(pane[b]);
            if (found != seen.end() && found->second.InOriginal == 1 && found->second.InPane == 1)
                anchors.emplace_back(found->second.OriginalLine, b);
        }
        const auto run = LongestIncreasing(anchors);
        if (run.empty())
            continue;
        std::size_t a = a0, b = b0;
        for (const auto& [anchorA, anchorB] : run) {
            match[anchorB] = anchorA;
            pending.push_back({a, anchorA, b, anchorB});
            a = anchorA + 1;
            b = anchorB + 1;
        }
        pending.push_back({a, a1, b, b1});
    }
    return match;
}

}  // namespace

void PaneListing::Clear()
{
    used_ = 0;
    lines_ = 0;
    full_ = false;
    text_.clear();
    kept_.clear();
}

bool PaneListing::Append(std::string_view line)
{
    if (full_)
        return false;
    // Decoded straight into the end of the text: never more characters than
    // bytes, so the line's bytes are room enough, and the text grows by
    // doubling.
    const std::size_t before = text_.size();
    const std::size_t start = before + (lines_ != 0 ? 1 : 0);
    text_.resize(start + line.size());
    const DecodedLength decoded = DecodeCp932Into(line, ControlBytes::AsRawByte, text_.data() + start);
    const std::size_t cost = decoded.Units + 1;
    if (cost > limit_ - used_) {
        text_.resize(before);
        full_ = true;
        return false;
    }
    if (start != before)
        text_[before] = u'\n';
    text_.resize(start + decoded.Units);
    if (!decoded.ReEncodesExactly)
        kept_.emplace_back(lines_, std::string(line));
    used_ += cost;
    ++lines_;
    return true;
}

namespace {

// Lines saved from the pane's text: a last empty line is only the end of the
// line before it, and a line separator typed into a line ends a line.
std::size_t SavedLineCount(std::u16string_view text)
{
    std::size_t lines = text.empty() || text.back() == u'\n' ? 0 : 1;
    for (const char16_t c : text)
        lines += c == u'\n' || c == u'\u2028' ? 1 : 0;
    return lines;
}

}  // namespace

SavedText PaneBytes(const PaneListing& listed, std::u16string_view paneText)
{
    const LineViews pane = SplitLines(paneText);
    SavedText out;
    out.Lines = SavedLineCount(paneText);
    out.Bytes.reserve(paneText.size() + 2 * pane.size());
    // Every other line encodes back to its bytes: nothing to find again.
    if (listed.Kept().empty()) {
        for (const std::u16string_view line : pane) {
            AppendTyped(out, line);
            out.Bytes += "\r\n";
        }
        return out;
    }

    // Where each pane line comes from: the original line it is, found in
    // place or, for a kept line, moved; or the original line it was
    // changed from.
    const LineViews original = SplitLines(listed.Text());
    std::vector<std::size_t> source = Align(original, pane);
    std::vector<bool> inPlace(pane.size(), false);
    std::vector<bool> changed(pane.size(), false);
    std::vector<bool> used(original.size(), false);
    for (std::size_t b = 0; b < pane.size(); ++b) {
        if (source[b] != kUnmatched) {
            inPlace[b] = true;
            used[source[b]] = true;
        }
    }

    std::unordered_map<std::size_t, const std::string*> keptBytes;
    std::unordered_map<std::u16string_view, std::vector<std::size_t>> movable;
    for (const auto& [number, bytes] : listed.Kept()) {
        keptBytes.emplace(number, &bytes);
        if (number < original.size() && !used[number])
            movable[original[number]].push_back(number);
    }
    for (auto& [text, numbers] : movable)
        std::reverse(numbers.begin(), numbers.end());  // taken from the back: first line first
    for (std::size_t b = 0; b < pane.size(); ++b) {
        if (source[b] != kUnmatched)
            continue;
        const auto moved = movable.find(pane[b]);
        if (moved == movable.end() || moved->second.empty())
            continue;
        source[b] = moved->second.back();
        moved->second.pop_back();
        used[source[b]] = true;
    }

    // A line still without a source was changed from the next free original
    // line of its gap, the lines between two lines found in place.
    std::vector<std::size_t> gapEnd(pane.size() + 1, original.size());
    for (std::size_t b = pane.size(); b-- > 0;)
        gapEnd[b] = inPlace[b] ? source[b] : gapEnd[b + 1];
    std::size_t next = 0;
    for (std::size_t b = 0; b < pane.size(); ++b) {
        if (inPlace[b])
            next = source[b] + 1;
        if (source[b] != kUnmatched)
            continue;
        while (next < gapEnd[b] && used[next])
            ++next;
        if (next < gapEnd[b]) {
            source[b] = next;
            changed[b] = true;
            used[next++] = true;
        }
    }

    for (std::size_t b = 0; b < pane.size(); ++b) {
        const auto kept = source[b] == kUnmatched ? keptBytes.end() : keptBytes.find(source[b]);
        if (kept == keptBytes.end())
            AppendTyped(out, pane[b]);
        else if (changed[b])
            AppendEdited(out, pane[b], *kept->second);
        else
            out.Bytes += *kept->second;
        out.Bytes += "\r\n";
    }
    return out;
}

}  // namespace vaveze
