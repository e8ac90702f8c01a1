// The Shift-JIS line filter against a byte-by-byte model of its rule, and
// the shortcut that lets clean lines through untouched.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/Func_.h"
#include "core/text/linefilter.h"
#include "core/listing/listing.h"
#include "core/text/cp932.h"

namespace vaveze {
namespace {

// The rule, one byte at a time: a lead byte takes the next byte along,
// control bytes are dropped, everything else is kept.
std::string ModelFilter(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD)) {
            out += text.substr(i, 2);
            i += 2;
        } else {
            if (b >= 0x20)
                out += static_cast<char>(b);
            ++i;
        }
    }
    return out;
}

bool HasControlByte(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20)
            return true;
    return false;
}

// CopyFilteredSjisLine into a buffer with guard bytes after the text's room,
// which must stay untouched.
std::string CopyFiltered(std::string_view text)
{
    std::string buffer(text.size() + 8, 'G');
    const std::size_t length = CopyFilteredSjisLine(text, buffer.data());
    EXPECT_EQ(buffer.substr(text.size()), "GGGGGGGG") << ::testing::PrintToString(text);
    return buffer.substr(0, length);
}

// Bytes at the edges of every class: controls, ASCII, lead bytes of both
// ranges, half-width katakana, and the two bytes above the lead range.
constexpr std::array<unsigned char, 15> kEdgeBytes = {0x00, 0x09, 0x0A, 0x1F, 0x20, 0x41, 0x7F, 0x80,
                                                      0x9F, 0xA0, 0xDF, 0xE0, 0xFD, 0xFE, 0xFF};

TEST(LineFilter, MatchesTheRuleOnEveryShortStringOfEdgeBytes)
{
    std::string text;
    // All strings of up to four edge bytes.
    for (std::size_t length = 0; length <= 4; ++length) {
        std::size_t combinations = 1;
        for (std::size_t i = 0; i < length; ++i)
            combinations *= kEdgeBytes.size();
        for (std::size_t n = 0; n < combinations; ++n) {
            text.clear();
            for (std::size_t i = 0, rest = n; i < length; ++i, rest /= kEdgeBytes.size())
                text += static_cast<char>(kEdgeBytes[rest % kEdgeBytes.size()]);
            ASSERT_EQ(FilterSjisLine(text), ModelFilter(text)) << ::testing::PrintToString(text);
            ASSERT_EQ(CopyFiltered(text), ModelFilter(text)) << ::testing::PrintToString(text);
            ASSERT_EQ(SjisLineNeedsFilter(text), HasControlByte(text)) << ::testing::PrintToString(text);
        }
    }
}

TEST(LineFilter, MatchesTheRuleOnLongMixedLines)
{
    // Lines long enough for the word-at-a-time scan, with control bytes in
    // every position relative to its words and to the characters.
    std::uint64_t state = 12345;
    auto next = [&state] {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return static_cast<unsigned>(state >> 33);
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const unsigned length = next() % 90;
        for (unsigned i = 0; i < length; ++i) {
            const unsigned pick = next() % 16;
            text += static_cast<char>(pick < 2 ? next() % 0x20 : pick < 9 ? 0x80 + next() % 0x80 : 0x20 + next() % 0x60);
        }
        ASSERT_EQ(FilterSjisLine(text), ModelFilter(text)) << ::testing::PrintToString(text);
        ASSERT_EQ(CopyFiltered(text), ModelFilter(text)) << ::testing::PrintToString(text);
        ASSERT_EQ(SjisLineNeedsFilter(text), HasControlByte(text)) << ::testing::PrintToString(text);
    }
}

TEST(LineFilter, FindsAControlByteAtEveryPositionAmongHighBytes)
{
    // High bytes around the control byte would hide it if the scan let a
    // borrow or a top bit leak between neighbouring bytes.
    for (const unsigned char fill : {0x20, 0x7F, 0x80, 0xDF, 0xE0, 0xFF}) {
        for (std::size_t at = 0; at < 40; ++at) {
            for (const unsigned char control : {0x00, 0x01, 0x0D, 0x1F}) {
                std::string text(40, static_cast<char>(fill));
                text[at] = static_cast<char>(control);
                EXPECT_TRUE(SjisLineNeedsFilter(text)) << "fill " << int{fill} << " at " << at;
                EXPECT_EQ(CopyFiltered(text), ModelFilter(text)) << "fill " << int{fill} << " at " << at;
            }
            std::string clean(at, static_cast<char>(fill));
            EXPECT_FALSE(SjisLineNeedsFilter(clean)) << "fill " << int{fill} << " length " << at;
            EXPECT_EQ(CopyFiltered(clean), clean) << "fill " << int{fill} << " length " << at;
        }
    }
}

TEST(LineFilter, ControlBytesAfterALeadByteStayAndOthersGo)
{
    EXPECT_EQ(FilterSjisLine("\x82\x0A\x41"), std::string("\x82\x0A\x41"));
    EXPECT_EQ(FilterSjisLine("A\r\nB\x82\xA0\tC"), "AB\x82\xA0" "C");
    EXPECT_EQ(FilterSjisLine("\x01\x02"), "");
    EXPECT_EQ(FilterSjisLine("AB\x81"), "AB\x81");
}

struct AddLineCase {
    std::string Line;
    std::vector<std::string> Listed;
};

void PrintTo(const AddLineCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.Line); }

class AddLineTest : public ::testing::TestWithParam<AddLineCase> {};

TEST_P(AddLineTest, ListsTheFilteredLineUnlessItIsBlank)
{
    VectorSink sink;
    EXPECT_TRUE(AddLine(sink, GetParam().Line));
    EXPECT_EQ(sink.Lines, GetParam().Listed);
}

INSTANTIATE_TEST_SUITE_P(
    CleanAndFiltered, AddLineTest,
    ::testing::Values(AddLineCase{"", {}}, AddLineCase{" ", {}}, AddLineCase{"  ", {"  "}},
                      AddLineCase{" \r\n", {}}, AddLineCase{"\t", {}}, AddLineCase{"\x01 \x02 ", {"  "}},
                      AddLineCase{"\x8B\x8F\x8A\xD4", {"\x8B\x8F\x8A\xD4"}},
                      AddLineCase{"\x8B\x8F\r\n\x8A\xD4", {"\x8B\x8F\x8A\xD4"}},
                      AddLineCase{std::string("a\0b", 3), {"ab"}}));

// The listing filter's lead bytes are code page 932's and 80 and FD: the
// filter keeps the byte after those as their pair, the code page does not.
TEST(LineFilterTest, TheFiltersLeadBytesAreTheCodePagesWith80AndFD)
{
    for (unsigned b = 0; b < 256; ++b)
        EXPECT_EQ(IsFilterLeadByte(static_cast<unsigned char>(b)),
                  IsCp932LeadByte(static_cast<unsigned char>(b)) || b == 0x80 || b == 0xFD)
            << b;
    for (const std::string lead : {"\x80", "\xFD"}) {
        EXPECT_EQ(FilterSjisLine(lead + "\x0A" "A"), lead + "\x0A" "A");
        EXPECT_EQ(Cp932CharLength(lead + "\x40", 0), 1u);
    }
}

}  // namespace
}  // namespace vaveze
