#include "core/text/Func_.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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
