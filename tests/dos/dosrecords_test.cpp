#include "core/readers/dos/dosrecords.h"

#include <gtest/gtest.h>

#include "core/text/Func_.h"
#include "tests/dos/dos_writer.h"

namespace vaveze {
namespace {

using namespace std::literals;

std::string Line(std::string_view start, char pad = '\0') { return doswriter::FitTo(start, kDosHeaderLineSize, pad); }

// ------------------------------------------------------------ field splitting

struct SplitCase {
    const char* name;
    std::string line;
    std::size_t n;
    std::vector<std::string> fields;
};

class SplitFieldsTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitFieldsTest, GivesExactlyTheFields)
{
    const SplitCase& c = GetParam();
    EXPECT_EQ(SplitFields(c.line, c.n), c.fields);
}

const std::string kNul188(188, '\0');

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitFieldsTest,
    testing::Values(
        SplitCase{"NoComma", Line("123"), 3, {Line("123"), "0", "0"}},
        // NULs after the last field belong to it; converting stops at them.
        SplitCase{"EmptyFieldAndNulTail", Line("12,,7"), 4, {"12", "", "7" + std::string(195, '\0'), "0"}},
        SplitCase{"MoreCommasThanFields", Line("1,2,3,4,5"), 3, {"1", "2", "3"}},
        SplitCase{"LeadingComma", Line(",5"), 2, {"", "5" + std::string(198, '\0')}},
        // The search runs through NUL bytes as through any other byte.
        SplitCase{"CommaAfterNuls", "1\0\0,2"s + kNul188 + ",3,4,5" , 3, {"1\0\0"s, "2" + kNul188, "3"}},
        SplitCase{"CommaIsLastByte", std::string(199, 'a') + ",", 3, {std::string(199, 'a'), "0", "0"}},
        SplitCase{"AllCommas", std::string(200, ','), 4, {"", "", "", ""}},
        SplitCase{"SpacesKept", Line(" 15 , 16"), 2, {" 15 ", " 16" + std::string(192, '\0')}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(SplitFields, ConvertsLikeTheHeaderDoes)
{
    const auto fields = SplitFields(Line("12,,7"), 4);
    EXPECT_EQ(TextToInt(fields[0]), 12);
    EXPECT_EQ(TextToInt(fields[1]), 0);
    EXPECT_EQ(TextToInt(fields[2]), 7);
    EXPECT_EQ(TextToInt(fields[3]), 0);

    const auto spaced = SplitFields(Line(" 15, 15 ,$1F, 2.5"), 4);
    EXPECT_EQ(TextToInt(spaced[0]), 15);
    EXPECT_EQ(TextToInt(spaced[1]), 0);  // a trailing space spoils the number
    EXPECT_EQ(TextToInt(spaced[2]), 31);
    EXPECT_FLOAT_EQ(TextToSingle(spaced[3]), 2.5f);
}

// ------------------------------------------------------------ title texts

TEST(TitleTexts, TakenByPositionByteForByte)
{
    std::string line = Line("");
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = static_cast<char>(i);  // position p holds byte p-1
    const DosTitleTexts t = TakeTitleTexts(line);
    ASSERT_EQ(t.TitleBlock.size(), 40u);
    ASSERT_EQ(t.Text1.size(), 32u);
    ASSERT_EQ(t.Text2.size(), 32u);
    EXPECT_EQ(t.TitleBlock.front(), 0);
    EXPECT_EQ(t.Text1.front(), 40);
    EXPECT_EQ(t.Text1.back(), 71);
    EXPECT_EQ(t.Text2.front(), 72);
    EXPECT_EQ(t.Text2.back(), 103);
}

TEST(TitleTexts, NulsAndPaddingStay)
{
    const std::string line = Line("zv_cad(c)sym........" + std::string(20, ' ') + "\x8C\x9A\x95\xA8 " + "\0\0x"s);
    const DosTitleTexts t = TakeTitleTexts(line);
    EXPECT_EQ(t.Text1, "\x8C\x9A\x95\xA8 \0\0x"s + std::string(24, '\0'));
    EXPECT_EQ(t.Text2, std::string(32, '\0'));
}

// ------------------------------------------------------------ records

std::string Le32(std::uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
std::string Le16(std::uint16_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }

std::string ArcBytes(std::uint16_t ratio, std::int32_t fixed)
{
    return Le32(0x11223344) + Le32(0xFFFFFFFF) + Le32(0x3F800000) + Le16(ratio) + Le32(static_cast<std::uint32_t>(fixed)) +
           Le32(0u - static_cast<std::uint32_t>(fixed)) + Le32(0) + "\x01\x02\x03\x04\x05\xFF";
}

TEST(ArcRecord, ValuesCopiedAndRealsConverted)
{
    const std::string bytes = ArcBytes(10000, 98304);
    ASSERT_EQ(bytes.size(), kEnko2FileSize);
    InputStream in(bytes);
    const TEnko2 arc = ReadEnko2(in);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(arc.Value1, 0x11223344u);
    EXPECT_EQ(arc.Value2, 0xFFFFFFFFu);
    EXPECT_EQ(arc.Value3, 0x3F800000u);
    EXPECT_EQ(arc.Ratio, 1.0f);
    EXPECT_EQ(arc.Real1, 1.5f);
    EXPECT_EQ(arc.Real2, -1.5f);
    EXPECT_EQ(arc.Real3, 0.0f);
    EXPECT_EQ(arc.Bytes, (std::array<std::uint8_t, 6>{1, 2, 3, 4, 5, 0xFF}));
}

struct FixedCase {
    std::uint16_t ratio;
    float expectedRatio;
    std::int32_t fixed;
    float expectedReal;
};

class ArcConversionTest : public testing::TestWithParam<FixedCase> {};

TEST_P(ArcConversionTest, SinglePrecision)
{
    const FixedCase& c = GetParam();
    const std::string bytes = ArcBytes(c.ratio, c.fixed);
    InputStream in(bytes);
    const TEnko2 arc = ReadEnko2(in);
    EXPECT_EQ(arc.Ratio, c.expectedRatio);
    EXPECT_EQ(arc.Real1, c.expectedReal);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ArcConversionTest,
    testing::Values(FixedCase{65535, 6.5535f, 65536, 1.0f}, FixedCase{0, 0.0f, -65536, -1.0f},
                    FixedCase{1, 0.0001f, 32768, 0.5f}, FixedCase{5000, 0.5f, 1, 1.0f / 65536.0f},
                    // Beyond 24 significant bits the low bits are gone.
                    FixedCase{3333, 0.3333f, 0x7FFFFFFF, 32768.0f},
                    FixedCase{3333, 0.3333f, static_cast<std::int32_t>(0x80000000), -32768.0f}),
    [](const testing::TestParamInfo<FixedCase>& info) { return "Case" + std::to_string(info.index); });

TEST(LineAndPointRecords, KeptBitForBit)
{
    std::string line;
    for (int i = 0; i < 22; ++i)
        line.push_back(static_cast<char>(0xF0 + i));
    InputStream lin(line);
    const TSen2 sen = ReadSen2(lin);
    for (std::size_t i = 0; i < 22; ++i)
        EXPECT_EQ(sen.Bytes[i], static_cast<std::uint8_t>(0xF0 + i));

    const std::string point = Le32(1) + Le32(0x80000000) + Le32(0xDEADBEEF);
    InputStream pin(point);
    const TTen2 ten = ReadTen2(pin);
    EXPECT_EQ(ten.Value1, 1u);
    EXPECT_EQ(ten.Value2, 0x80000000u);
    EXPECT_EQ(ten.Value3, 0xDEADBEEFu);
}

TEST(TextRecord, PoolPositionByFormat)
{
    const std::string bytes = Le32(1) + Le32(2) + Le32(3) + Le32(4) + Le16(0xFFFF) + Le16(0xFFFF) + "\x0A\x0B\x0C\x0D";
    ASSERT_EQ(bytes.size(), kMoji2FileSize);

    InputStream a(bytes);
    const TMoji2 drawing = ReadMoji2(a, DosPoolAddressing::SegmentOffset);
    EXPECT_EQ(drawing.PoolPosition, 0xFFFF * 16 + 0xFFFF);
    EXPECT_EQ(drawing.Values, (std::array<std::uint32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(drawing.AttrBytes, (std::array<std::uint8_t, 4>{0x0A, 0x0B, 0x0C, 0x0D}));
    EXPECT_TRUE(drawing.Text.empty());

    InputStream b(bytes);
    EXPECT_EQ(ReadMoji2(b, DosPoolAddressing::OffsetOnly).PoolPosition, 0xFFFF);
}

TEST(Records, CutRecordEndsTheFileEarly)
{
    // One byte short of each record; what a stopped cursor reads is zeros.
    const std::string storage(kEnko2FileSize, '\x7F');
    const std::string_view bytes(storage);
    InputStream a(bytes.substr(0, 23)), b(bytes.substr(0, 31)), c(bytes.substr(0, 21)), d(bytes.substr(0, 11));
    EXPECT_EQ(ReadMoji2(a, DosPoolAddressing::OffsetOnly).PoolPosition, 0);
    EXPECT_EQ(ReadEnko2(b).Value1, 0u);
    EXPECT_EQ(ReadSen2(c).Bytes, TSen2{}.Bytes);
    EXPECT_EQ(ReadTen2(d).Value3, 0u);
    const std::pair<const InputStream*, std::uint64_t> ends[] = {{&a, 23}, {&b, 31}, {&c, 21}, {&d, 11}};
    for (const auto& [in, end] : ends)
        EXPECT_EQ(in->outcome(), (ParseOutcome{StopReason::EndsEarly, end, {}}));
}

// ------------------------------------------------------------ table sizes

TEST(TableSize, CountsAreCheckedBeforeSizing)
{
    const struct {
        std::int32_t count;
        std::size_t recordBytes, room, size;
        StopReason reason;
    } cases[] = {
        {0, 24, 200, 0, StopReason::None},
        {8, 24, 200, 8, StopReason::None},  // exactly fits
        {9, 24, 200, 0, StopReason::EndsEarly},
        {-1, 24, 200, 0, StopReason::ImpossibleSize},
        {INT32_MIN, 24, 200, 0, StopReason::ImpossibleSize},
        // Without a record size only the file's size bounds the count.
        {1000, 0, 0, 1000, StopReason::None},
        {1001, 0, 0, 0, StopReason::ImpossibleSize},
        {INT32_MAX, 0, 0, 0, StopReason::ImpossibleSize},
    };
    for (const auto& c : cases) {
        InputStream in("0123456789"sv);
        in.skip(4);
        EXPECT_EQ(CheckedTableSize(in, c.count, 1000, c.recordBytes, c.room), c.size) << c.count;
        // An impossible count stops where the cursor stands; a file too short
        // for its records ends early, at its end.
        const std::uint64_t at = c.reason == StopReason::EndsEarly ? 10 : c.reason == StopReason::None ? 0 : 4;
        EXPECT_EQ(in.outcome(), (ParseOutcome{c.reason, at, {}})) << c.count;
    }
}

// ------------------------------------------------------------ string pool

TEST(StringPool, ReadWithFinalNul)
{
    InputStream in("abcdefXY"sv);
    const PageBuffer pool = ReadStringPool(in, 6);
    EXPECT_EQ(PoolBytes(pool), "abcdef\0"s);
    EXPECT_EQ(in.remaining(), 2u);
}

TEST(StringPool, LargerThanTheRestEndsTheFileBeforeReading)
{
    for (const std::int32_t size : {4, INT32_MAX}) {
        InputStream in("abc"sv);
        EXPECT_EQ(ReadStringPool(in, size).data(), nullptr);
        EXPECT_EQ(in.outcome(), (ParseOutcome{StopReason::EndsEarly, 3, {}}));
        EXPECT_EQ(in.tell(), 0u);
    }
}

Table<TMoji2> TextsAt(std::initializer_list<std::int32_t> positions)
{
    Table<TMoji2> texts;
    for (auto p : positions)
        texts.emplace_back().PoolPosition = p;
    return texts;
}

std::vector<std::string> TextsOf(const Table<TMoji2>& texts)
{
    std::vector<std::string> out;
    for (const auto& t : texts)
        out.emplace_back(t.Text);
    return out;
}

TEST(StringPool, TextsTakeTheirStrings)
{
    // As ReadStringPool leaves it; the NULs appended make the texts few for
    // the pool's size, so both ways of measuring the strings are taken.
    const std::string pool = "ABC\0\x82\xA0\x82\xA2\0tail"s + '\0';
    for (const std::string& tail : {""s, std::string(64, '\0')}) {
        const std::string viewed = pool + tail;  // outlives the texts, which view it
        auto texts = TextsAt({100, 104, 101, 103, 109, 112, 99, 113, 114, 1000});
        EXPECT_TRUE(GiveTextsTheirStrings(texts, viewed, 100, SIZE_MAX));
        EXPECT_EQ(TextsOf(texts), (std::vector<std::string>{"ABC", "\x82\xA0\x82\xA2", "BC", "", "tail", "l",
                                                            "",  // before the pool
                                                            "",  // index == pool size
                                                            "", ""}));
    }
}

TEST(StringPool, TextsBeyondTheBudgetAreAnAllocationFailure)
{
    const std::string pool = std::string(100, 'x') + '\0';
    auto texts = TextsAt({0, 50, 0, 0});
    EXPECT_FALSE(GiveTextsTheirStrings(texts, pool, 0, 200));
    EXPECT_EQ(TextsOf(texts), (std::vector<std::string>{std::string(100, 'x'), std::string(50, 'x'), "", ""}));

    auto fits = TextsAt({0, 50, 0});
    EXPECT_TRUE(GiveTextsTheirStrings(fits, pool, 0, 250));
    EXPECT_EQ(fits[2].Text.size(), 100u);
}

}  // namespace
}  // namespace vaveze
