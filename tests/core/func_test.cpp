#include "core/text/Func_.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace vaveze {
namespace {

using namespace std::string_literals;

TEST(CopyClamped, ForgivesBoundsAndCountsBytes)
{
    EXPECT_EQ(CopyClamped("ABCDE", 0, 2), "AB");
    EXPECT_EQ(CopyClamped("ABCDE", -5, 1), "A");
    EXPECT_EQ(CopyClamped("ABCDE", 4, 10), "DE");
    EXPECT_EQ(CopyClamped("ABCDE", 5, 1), "E");
    EXPECT_EQ(CopyClamped("ABCDE", 6, 1), "");
    EXPECT_EQ(CopyClamped("ABCDE", 1, 0), "");
    EXPECT_EQ(CopyClamped("ABCDE", 1, -3), "");
    EXPECT_EQ(CopyClamped("", 1, 3), "");
    EXPECT_EQ(CopyClamped(".bk", 1, 3), ".bk");
    EXPECT_EQ(CopyClamped("ABC", 2, std::numeric_limits<std::int32_t>::max()), "BC");
    // A double-byte character counts as two bytes.
    EXPECT_EQ(CopyClamped("\x82\xA0Z", 2, 2), "\xA0Z");
}

struct IntCase {
    std::string text;
    std::int32_t value;
};

// Readable test names in CTest, stable from build to build.
void PrintTo(const IntCase& c, std::ostream* os) { *os << testing::PrintToString(c.text); }

class TextToIntTest : public testing::TestWithParam<IntCase> {};

TEST_P(TextToIntTest, Converts) { EXPECT_EQ(TextToInt(GetParam().text), GetParam().value) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(
    Decimal, TextToIntTest,
    testing::Values(IntCase{"", 0}, IntCase{"0", 0}, IntCase{" 12", 12}, IntCase{"12 ", 0}, IntCase{"+7", 7},
                    IntCase{"-0", 0}, IntCase{"-15", -15}, IntCase{"2147483647", 2147483647},
                    IntCase{"2147483648", 0}, IntCase{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                    IntCase{"-2147483649", 0}, IntCase{"99999999999999999999", 0}, IntCase{"1,5", 0},
                    IntCase{"\t5", 0}, IntCase{"   ", 0}, IntCase{"+", 0}, IntCase{"-", 0}, IntCase{"++1", 0},
                    IntCase{"0012", 12}, IntCase{"12\0A"s, 12}, IntCase{"\0"s "12", 0}, IntCase{"1 2", 0}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, TextToIntTest,
    testing::Values(IntCase{"$1F", 31}, IntCase{"$1f", 31}, IntCase{"x10", 16}, IntCase{"X10", 16},
                    IntCase{"0x10", 16}, IntCase{"0X10", 16}, IntCase{"-$10", 16}, IntCase{"+$10", 16},
                    IntCase{"FFFFFFFF", 0}, IntCase{"$FFFFFFFF", -1}, IntCase{"$80000000", std::numeric_limits<std::int32_t>::min()},
                    IntCase{"$100000000", 0}, IntCase{"$000000001", 1}, IntCase{"$", 0}, IntCase{"0x", 0},
                    IntCase{"$G", 0}, IntCase{"$6000", 0x6000}, IntCase{" $10", 16}, IntCase{"$10 ", 0}));

TEST(TextToSingle, ConvertsDecimalRealsLeniently)
{
    EXPECT_EQ(TextToSingle("1.5"), 1.5f);
    EXPECT_EQ(TextToSingle("1,5"), 0.0f);
    EXPECT_EQ(TextToSingle(" -2.5e2"), -250.0f);
    EXPECT_EQ(TextToSingle("1E+2"), 100.0f);
    EXPECT_EQ(TextToSingle("1e"), 0.0f);
    EXPECT_EQ(TextToSingle("1e+"), 0.0f);
    EXPECT_EQ(TextToSingle("3."), 3.0f);
    EXPECT_EQ(TextToSingle(".5"), 0.5f);
    EXPECT_EQ(TextToSingle("."), 0.0f);
    EXPECT_EQ(TextToSingle("    "), 0.0f);
    EXPECT_EQ(TextToSingle(""), 0.0f);
    EXPECT_EQ(TextToSingle("-"), 0.0f);
    EXPECT_EQ(TextToSingle("1.5 "), 0.0f);
    EXPECT_EQ(TextToSingle("\t1.5"), 0.0f);
    EXPECT_EQ(TextToSingle("inf"), 0.0f);
    EXPECT_EQ(TextToSingle("nan"), 0.0f);
    EXPECT_EQ(TextToSingle("0x10"), 0.0f);
    EXPECT_EQ(TextToSingle("2.5\0garbage"s), 2.5f);
    EXPECT_EQ(TextToSingle("\0" "2.5"s), 0.0f);
    EXPECT_EQ(TextToSingle("0.1"), 0.1f);  // the single nearest to 0.1
    EXPECT_EQ(TextToSingle("16777217"), 16777216.0f);
}

TEST(TextToSingle, RaisesOnlyWhenTheValueOverflowsSinglePrecision)
{
    EXPECT_THROW((void)TextToSingle("1e39"), ConversionOverflow);
    EXPECT_THROW((void)TextToSingle("-3.5e38"), ConversionOverflow);
    EXPECT_THROW((void)TextToSingle("1e99999"), ConversionOverflow);
    EXPECT_EQ(TextToSingle("3.4e38"), 3.4e38f);
    // Too small: 0 or the nearest denormal, no error.
    EXPECT_EQ(TextToSingle("1e-50"), 0.0f);
    EXPECT_EQ(TextToSingle("1e-99999"), 0.0f);
    EXPECT_GT(TextToSingle("1e-40"), 0.0f);
    EXPECT_TRUE(std::isnormal(TextToSingle("1e-37")));
}

// Exact decimal text of n × 2^e, n in 32-bit limbs, lowest first.
std::string ExactDecimal(std::vector<std::uint32_t> n, int e)
{
    auto multiply = [&n](std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : n) {
            carry += std::uint64_t{limb} * factor;
            limb = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0)
            n.push_back(static_cast<std::uint32_t>(carry));
    };
    for (int i = 0; i < std::abs(e); ++i)
        multiply(e > 0 ? 2 : 5);
    std::string digits;
    while (std::any_of(n.begin(), n.end(), [](std::uint32_t limb) { return limb != 0; })) {
        std::uint64_t rest = 0;
        for (auto limb = n.rbegin(); limb != n.rend(); ++limb) {
            rest = rest << 32 | *limb;
            *limb = static_cast<std::uint32_t>(rest / 10);
            rest %= 10;
        }
        digits.insert(digits.begin(), static_cast<char>('0' + rest));
    }
    return digits + "e" + std::to_string(std::min(e, 0));
}

// Thousands of texts, compared through one checksum with the results of the
// first release, which converted through the 80-bit long double of x86
// Linux: halfway points between singles and the 64-bit ties next to them
// (where rounding twice differs from rounding once), random decimals, and
// hexadecimal and malformed texts for both conversions.
TEST(TextToSingle, GivesTheFirstReleasesBitsForGeneratedTexts)
{
    std::uint64_t state = 2024;
    auto next = [&state] {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    };
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i) {
        const auto bits = static_cast<std::uint32_t>(next() % 0x7F7FFFFF + 1);
        const std::uint64_t m = (bits >> 23) == 0 ? bits : (bits & 0x7FFFFF) | 0x800000;
        const int e = (bits >> 23) == 0 ? -149 : static_cast<int>(bits >> 23) - 150;  // single = m × 2^e
        // The halfway point above the single, plus k halves of the 64-bit
        // unit there; then the same a little above.
        const int length = std::bit_width(2 * m + 1);
        for (int k = -3; k <= 3; ++k) {
            const std::uint64_t high = ((2 * m + 1) << (33 - length)) - (k < 0 ? 1 : 0);
            const std::string t = ExactDecimal({static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(high),
                                                static_cast<std::uint32_t>(high >> 32)},
                                               e - 1 - (65 - length));
            texts.push_back(t);
            texts.push_back(t.substr(0, t.find('e')) + "0000000000000000000001e" +
                            std::to_string(std::stoi(t.substr(t.find('e') + 1)) - 22));
        }
    }
    for (int i = 0; i < 2000; ++i) {
        std::string digits;
        for (auto n = next() % 25 + 1; n > 0; --n)
            digits += static_cast<char>('0' + next() % 10);
        if (next() % 2 != 0)
            digits.insert(next() % (digits.size() + 1), ".");
        // One call of next() per statement: the order of operands is not fixed.
        const std::string sign = std::array{"", " ", "-", " +"}[next() % 4];
        texts.push_back(sign + digits + "e" + std::to_string(static_cast<int>(next() % 100) - 60));
    }
    const char* const prefixes[] = {"&H", "&h", "$", "0x", "-$", "x", ""};
    for (int i = 0; i < 700; ++i) {
        std::string t = prefixes[i % 7];
        for (auto digits = next() % 10 + 1; digits > 0; --digits)
            t += "0123456789ABCDEFabcdefG."[next() % 24];
        texts.push_back(t);
    }
    std::uint64_t checksum = 0xCBF29CE484222325ull;
    for (const std::string& t : texts) {
        std::uint32_t single = 0xFFFFFFFF;  // overflow; no conversion gives NaN
        try {
            const float value = TextToSingle(t);
            std::memcpy(&single, &value, sizeof single);
        } catch (const ConversionOverflow&) {
        }
        for (std::uint64_t v : {std::uint64_t{single}, std::uint64_t{static_cast<std::uint32_t>(TextToInt(t))}})
            checksum = (checksum ^ v) * 0x100000001B3ull;
    }
    EXPECT_EQ(texts.size(), 400u * 14 + 2000 + 700);
    EXPECT_EQ(checksum, 0xA118D714768730C4ull) << std::hex << checksum;
}

struct FilterCase {
    std::string input;
    std::string output;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << testing::PrintToString(c.input); }

class FilterSjisLineTest : public testing::TestWithParam<FilterCase> {};

TEST_P(FilterSjisLineTest, DropsControlBytesAndKeepsPairsWhole)
{
    EXPECT_EQ(FilterSjisLine(GetParam().input), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, FilterSjisLineTest,
    testing::Values(FilterCase{"", ""}, FilterCase{"\x41\x09\x42", "\x41\x42"}, FilterCase{"\x82\xA0\x0A", "\x82\xA0"},
                    FilterCase{"\x82\x0A\x41", "\x82\x0A\x41"}, FilterCase{"\x41\x81", "\x41\x81"},
                    FilterCase{"\x80\x41", "\x80\x41"}, FilterCase{"\xFE\x41", "\xFE\x41"}, FilterCase{"\x7F", "\x7F"},
                    FilterCase{"\xFD\x00"s, "\xFD\x00"s}, FilterCase{"\x9F\x1F\x1F", "\x9F\x1F"},
                    FilterCase{"\xE0\x40\xA0\xDF\xFF", "\xE0\x40\xA0\xDF\xFF"},
                    FilterCase{"\r\n\x00\x1F "s, " "}, FilterCase{"\xB1\x0D\xB2", "\xB1\xB2"}));

}  // namespace
}  // namespace vaveze
