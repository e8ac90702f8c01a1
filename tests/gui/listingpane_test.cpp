#include "app/listingpane.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

namespace vaveze {
namespace {

const std::string kA = "\x82\xA0";        // one shown character, two bytes
const std::string kShared = "\xED\x40";   // shares its character with FA 5C
const std::string kBroken = "\x82\x0A";   // lead byte before a line feed

std::string Joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out;
}

// Fills a pane with lines the way the window does.
void Fill(QPlainTextEdit& pane, const std::vector<std::string>& lines)
{
    PaneListing listing;
    listing.Clear();
    for (const std::string& line : lines)
        ASSERT_TRUE(listing.Append(line));
    listing.ShowIn(pane);
}

// Replaces the characters [from, from + count) of block `number` as typing would.
void Type(QPlainTextEdit& pane, int number, int from, int count, const QString& text)
{
    QTextCursor cursor(pane.document()->findBlockByNumber(number));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, from);
    cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, count);
    cursor.insertText(text);
}

TEST(PaneListing, CountsShownCharactersAndOneForEachLineEnd)
{
    PaneListing listing(10);
    listing.Clear();
    EXPECT_TRUE(listing.Append(kA + kA + kA + kA));  // 4 + 1
    EXPECT_TRUE(listing.Append("\x80\xFD\xA0" + kA));  // invalid bytes count one each: 4 + 1
    EXPECT_EQ(listing.CharacterCount(), 10U);
    EXPECT_FALSE(listing.Append("A"));
    EXPECT_EQ(listing.LineCount(), 2U);

    listing.Clear();
    EXPECT_EQ(listing.CharacterCount(), 0U);
    EXPECT_FALSE(listing.Append("123456789A"));  // 10 + 1
    EXPECT_TRUE(listing.Append("123456789"));

    // A refused line leaves nothing of itself behind.
    listing.Clear();
    EXPECT_TRUE(listing.Append("ab"));
    EXPECT_FALSE(listing.Append(kA + "12345678"));
    EXPECT_TRUE(listing.Append("\x80" + kA));
    EXPECT_EQ(listing.Take().Text, QStringLiteral("ab\n\uF780\u3042"));
}

TEST(PaneListing, FullPaneHoldsExactlyTheLimit)
{
    QPlainTextEdit pane;
    PaneListing listing;
    listing.Clear();
    const std::string line(999, 'x');
    for (int i = 0; i < 8200; ++i)
        ASSERT_TRUE(listing.Append(line)) << i;
    EXPECT_EQ(listing.CharacterCount(), kPaneCharacterLimit);
    EXPECT_FALSE(listing.Append("y"));
    listing.ShowIn(pane);
    EXPECT_EQ(pane.document()->blockCount(), 8200);
    EXPECT_EQ(PaneContentBytes(*pane.document()).Bytes.size(), 8200U * 1001U);
}

TEST(PaneListing, EveryListingLineIsOneBlockWhateverItsBytes)
{
    QPlainTextEdit pane;
    const std::vector<std::string> lines = {"A" + kBroken + "B", "\x81\x0D", kShared + "x", "\x7F", "\xFF\x80"};
    Fill(pane, lines);
    EXPECT_EQ(pane.document()->blockCount(), 5);
    EXPECT_EQ(PaneContentBytes(*pane.document()).Bytes, Joined(lines));
}

TEST(PaneListing, ShowingReplacesThePaneAndItsUndoHistory)
{
    QPlainTextEdit pane;
    pane.setPlainText(QStringLiteral("old"));
    pane.insertPlainText(QStringLiteral("typed"));
    Fill(pane, {"new"});
    EXPECT_EQ(pane.toPlainText(), QStringLiteral("new"));
    EXPECT_FALSE(pane.document()->isUndoAvailable());
}

TEST(PaneContentBytes, EmptyPaneAndTrailingLineEnd)
{
    QPlainTextEdit pane;
    EXPECT_EQ(PaneContentBytes(*pane.document()).Bytes, "");
    pane.setPlainText(QStringLiteral("a\n"));  // the user pressed Enter after the last line
    EXPECT_EQ(PaneContentBytes(*pane.document()).Bytes, "a\r\n");
    pane.setPlainText(QStringLiteral("a\n\n"));
    EXPECT_EQ(PaneContentBytes(*pane.document()).Bytes, "a\r\n\r\n");
    pane.setPlainText(QStringLiteral("a") + QChar(QChar::LineSeparator) + QStringLiteral("b"));
    EXPECT_EQ(PaneContentBytes(*pane.document()).Bytes, "a\r\nb\r\n");
}

TEST(PaneContentBytes, EditsKeepTheBytesOfWhatWasNotChanged)
{
    QPlainTextEdit pane;
    const std::string line = kShared + "abc" + kShared;
    Fill(pane, {line, line, line, line, kShared});

    Type(pane, 0, 2, 1, QStringLiteral("X"));            // b -> X: both shared codes stay
    Type(pane, 1, 0, 5, QStringLiteral("\u3042"));       // everything typed over
    Type(pane, 2, 5, 0, QStringLiteral("\u7E8A"));       // the shared character typed anew
    QTextCursor(pane.document()->findBlockByNumber(3)).insertText(QStringLiteral("\n"));  // a line put before it

    const PaneBytes bytes = PaneContentBytes(*pane.document());
    EXPECT_TRUE(bytes.Unencodable.empty());
    EXPECT_EQ(bytes.Bytes, Joined({kShared + "aXc" + kShared, kA, line + "\xFA\x5C", "", line, kShared}));

    // A line deleted and brought back by undo is a new block with the old text.
    QTextCursor last(pane.document()->lastBlock());
    last.select(QTextCursor::BlockUnderCursor);
    last.removeSelectedText();
    pane.document()->undo();
    EXPECT_EQ(PaneContentBytes(*pane.document()).Bytes, bytes.Bytes);
}

TEST(PaneContentBytes, ReportsEveryCharacterThatCannotBeSaved)
{
    QPlainTextEdit pane;
    Fill(pane, {"ok"});
    pane.appendPlainText(QStringLiteral("a\U0001F600b\u00A0\U0001F600"));
    const PaneBytes bytes = PaneContentBytes(*pane.document());
    EXPECT_EQ(bytes.Unencodable, std::u32string(U"\U0001F600\u00A0"));
}

}  // namespace
}  // namespace vaveze
