// The listing as a pane holds it, and the pane's text saved back: untouched
// lines byte for byte whatever happened around them.
#include "core/session/pane.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace vaveze {
namespace {

const std::string kA = "\x82\xA0";       // one shown character, two bytes
const std::string kShared = "\xED\x40";  // shares its character (U+7E8A) with FA 5C
const std::string kBroken = "\x82\x0A";  // lead byte before a line feed

std::string Joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out;
}

std::size_t CountLineEnds(std::string_view bytes)
{
    std::size_t ends = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string_view::npos; at = bytes.find("\r\n", at + 2))
        ++ends;
    return ends;
}

PaneListing Listed(const std::vector<std::string>& lines)
{
    PaneListing pane;
    for (const std::string& line : lines)
        EXPECT_TRUE(pane.Append(line));
    return pane;
}

TEST(PaneListing, CountsShownCharactersAndOneForEachLineEnd)
{
    PaneListing pane(10);
    EXPECT_TRUE(pane.Append(kA + kA + kA + kA));     // 4 + 1
    EXPECT_TRUE(pane.Append("\x80\xFD\xA0" + kA));  // invalid bytes count one each: 4 + 1
    EXPECT_FALSE(pane.Append("A"));
    EXPECT_TRUE(pane.Full());
    EXPECT_FALSE(pane.Append(""));  // full stays full
    EXPECT_EQ(pane.LineCount(), 2U);
    EXPECT_EQ(pane.Text(), u"\u3042\u3042\u3042\u3042\n\uF780\uF7FD\uF7A0\u3042");

    // A refused line leaves nothing of itself behind; every line is one line
    // of the pane whatever its bytes.
    PaneListing other(10);
    EXPECT_TRUE(other.Append("a" + kBroken));
    EXPECT_FALSE(other.Append(kA + "12345678"));
    EXPECT_EQ(other.Text(), u"a\uF782\uF70A");
    EXPECT_TRUE(other.Kept().empty());
    EXPECT_EQ(Listed({kShared, "x", kShared + "y"}).Kept().size(), 2U);
}

TEST(PaneBytes, UntouchedListingsSaveAsListed)
{
    const std::vector<std::vector<std::string>> listings = {
        {}, {"a"}, {"A" + kBroken + "B", "\x81\x0D", kShared + "x", "\x7F", "\xFF\x80"}, {kShared, kShared, "z"}};
    for (const auto& lines : listings) {
        const PaneListing pane = Listed(lines);
        const SavedText saved = PaneBytes(pane, pane.Text());
        EXPECT_EQ(saved.Bytes, Joined(lines));
        // A text's own CR or LF byte is no line of its own.
        EXPECT_EQ(saved.Lines, lines.size());
    }
}

TEST(PaneBytes, EditsKeepTheBytesOfEveryLineNotTouched)
{
    // Two lines of the same text with different bytes: ED 40 and FA 5C.
    const std::string a = kShared + "abc";
    const std::string b = "\xFA\x5C" "abc";
    const std::string c = kShared + "c";
    const PaneListing pane = Listed({"top", a, "mid", b, c, "end"});
    const std::u16string sa = u"\u7E8Aabc";
    const std::u16string sc = u"\u7E8Ac";
    const struct {
        const char* Edit;
        std::u16string Text;
        std::string Saved;
    } cases[] = {
        {"a line inserted at the top, one deleted, one typed",
         u"new\ntop\n" + sa + u"\n" + sa + u"\n" + sc + u"\ntyped\nend", Joined({"new", "top", a, b, c, "typed", "end"})},
        {"a kept line moved to the end", u"top\nmid\n" + sa + u"\n" + sc + u"\nend\n" + sa,
         Joined({"top", "mid", b, c, "end", a})},
        {"a kept line changed in its middle keeps its unchanged ends",
         u"top\n" + sa + u"\nmid\n" + sa + u"\n\u7E8Ax\nend", Joined({"top", a, "mid", b, kShared + "x", "end"})},
        {"the shared character typed anew is encoded",
         u"top\n\u7E8A\n" + sa + u"\nmid\n" + sa + u"\n" + sc + u"\nend", Joined({"top", "\xFA\x5C", a, "mid", b, c, "end"})},
        {"everything replaced", u"x\ny", Joined({"x", "y"})},
        {"the user pressed Enter after the last line", pane.Text() + u"\n", Joined({"top", a, "mid", b, c, "end"})},
        {"an empty line typed at the end", pane.Text() + u"\n\n", Joined({"top", a, "mid", b, c, "end", ""})},
        {"a line separator typed inside a line", u"to\u2028p", "to\r\np\r\n"},
    };
    for (const auto& edit : cases) {
        const SavedText saved = PaneBytes(pane, edit.Text);
        EXPECT_EQ(saved.Bytes, edit.Saved) << edit.Edit;
        EXPECT_TRUE(saved.Unencodable.empty()) << edit.Edit;
        EXPECT_EQ(saved.Lines, CountLineEnds(edit.Saved)) << edit.Edit;
    }
}

TEST(PaneBytes, NamesEveryCharacterThatCannotBeSaved)
{
    const PaneListing pane = Listed({"ok", kShared});
    const SavedText saved = PaneBytes(pane, u"ok\na\U0001F600b\u00A0\U0001F600");
    EXPECT_EQ(saved.Unencodable, std::u32string(U"\U0001F600\u00A0"));
}

}  // namespace
}  // namespace vaveze
