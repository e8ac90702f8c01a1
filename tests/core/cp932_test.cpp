#include "core/text/cp932.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#ifdef VAVEZE_HAVE_ICONV
#include "tools/cp932/cp932_iconv.h"
#endif

namespace vaveze {
namespace {

std::string Bytes(std::initializer_list<unsigned> values)
{
    std::string s;
    for (unsigned v : values)
        s += static_cast<char>(v);
    return s;
}

std::string Code(unsigned code) { return Bytes({code >> 8, code & 0xFF}); }

bool IsLead(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

char16_t Raw(unsigned b) { return static_cast<char16_t>(kRawByteBase + b); }

TEST(Cp932Decode, SingleBytesAreThemselvesAndControlsCanBeShownAsRawBytes)
{
    for (unsigned b = 0; b < 0x80; ++b) {
        const std::string in = Bytes({b});
        EXPECT_EQ(DecodeCp932(in).Text, std::u16string(1, static_cast<char16_t>(b))) << b;
        const bool control = b < 0x20 || b == 0x7F;
        EXPECT_EQ(DecodeCp932(in, ControlBytes::AsRawByte).Text,
                  std::u16string(1, control ? Raw(b) : static_cast<char16_t>(b)))
            << b;
    }
    // Some decoders swap these three; the listing must not.
    EXPECT_EQ(DecodeCp932(Bytes({0x1A, 0x1C, 0x7F})).Text, u"\x1A\x1C\x7F");
    for (unsigned b = 0xA1; b <= 0xDF; ++b)
        EXPECT_EQ(DecodeCp932(Bytes({b})).Text, std::u16string(1, static_cast<char16_t>(0xFF61 + b - 0xA1)));
}

TEST(Cp932Decode, InvalidBytesBecomeRawBytesAndNeverSwallowTheirNeighbours)
{
    struct Case {
        std::string In;
        std::u16string Out;
    };
    const Case cases[] = {
        {Bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF}), {Raw(0x80), Raw(0xA0), Raw(0xFD), Raw(0xFE), Raw(0xFF)}},
        {Bytes({0x41, 0x82}), {u'A', Raw(0x82)}},                      // lead byte at the end
        {Bytes({0x82, 0x0A, 0x41}), {Raw(0x82), Raw(0x0A), u'A'}},     // lead byte before a control byte
        {Bytes({0x81, 0x7F}), {Raw(0x81), Raw(0x7F)}},                 // 7F is no trail byte
        {Bytes({0x85, 0x81, 0x40}), {Raw(0x85), u'\u3000'}},           // unassigned row, then a valid pair
        {Bytes({0xFD, 0x82, 0xA0}), {Raw(0xFD), u'\u3042'}},
    };
    for (const Case& c : cases) {
        const DecodedText d = DecodeCp932(c.In, ControlBytes::AsRawByte);
        EXPECT_EQ(d.Text, c.Out);
        EXPECT_TRUE(d.ReEncodesExactly);
        EXPECT_EQ(EncodeCp932(d.Text).Bytes, c.In);
    }
}

TEST(Cp932Decode, KnownCharactersOfEachArea)
{
    struct Case {
        unsigned Code;
        char16_t Ch;
    };
    const Case cases[] = {
        {0x8140, u'\u3000'}, {0x815F, u'\uFF3C'}, {0x8160, u'\uFF5E'}, {0x817C, u'\uFF0D'},
        {0x82A0, u'\u3042'}, {0x889F, u'\u4E9C'}, {0x8740, u'\u2460'}, {0x8790, u'\u2252'},
        {0xED40, u'\u7E8A'}, {0xFA5C, u'\u7E8A'}, {0xFA40, u'\u2170'}, {0xF040, u'\uE000'},
        {0xF9FC, u'\uE757'}, {0xFC4B, u'\u9ED1'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeCp932(Code(c.Code)).Text, std::u16string(1, c.Ch)) << std::hex << c.Code;
}

// Every valid double-byte code decodes to one character that encodes back to
// it, except the codes whose character another code also holds: those are
// flagged and encode to the code the system prefers.
TEST(Cp932RoundTrip, EveryDoubleByteCode)
{
    int valid = 0;
    std::set<unsigned> inexact;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLead(lead))
            continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const unsigned code = lead << 8 | trail;
            const DecodedText d = DecodeCp932(Code(code));
            if (d.Text.size() != 1)
                continue;  // unassigned: two raw bytes or a raw byte and a character
            ++valid;
            const EncodedText e = EncodeCp932(d.Text);
            ASSERT_TRUE(e.Unencodable.empty()) << std::hex << code;
            if (e.Bytes == Code(code)) {
                EXPECT_TRUE(d.ReEncodesExactly) << std::hex << code;
                continue;
            }
            inexact.insert(code);
            EXPECT_FALSE(d.ReEncodesExactly) << std::hex << code;
            EXPECT_EQ(DecodeCp932(e.Bytes).Text, d.Text) << std::hex << code;
            EXPECT_TRUE(DecodeCp932(e.Bytes).ReEncodesExactly) << std::hex << code;
        }
    }
    EXPECT_EQ(valid, 7724 + 1880);  // standard and extension rows, user-defined area
    EXPECT_EQ(inexact.size(), 398U);
    for (unsigned code : inexact) {
        const unsigned lead = code >> 8;
        EXPECT_TRUE(lead == 0x87 || lead == 0xED || lead == 0xEE || lead == 0xFA) << std::hex << code;
    }
    EXPECT_EQ(EncodeCp932(u"\u7E8A").Bytes, Code(0xFA5C));  // the IBM row wins over the NEC-selected one
    EXPECT_EQ(EncodeCp932(u"\u2252").Bytes, Code(0x81E0));  // the standard row wins over NEC row 13
}

// Whatever two bytes a line holds, showing them and encoding what is shown
// gives the same two bytes back, unless the decoder said it would not.
TEST(Cp932RoundTrip, EveryPairOfBytesAsShownInThePane)
{
    int inexact = 0;
    for (unsigned first = 0; first < 0x100; ++first) {
        for (unsigned second = 0; second < 0x100; ++second) {
            const std::string in = Bytes({first, second});
            const DecodedText d = DecodeCp932(in, ControlBytes::AsRawByte);
            for (char16_t ch : d.Text)
                ASSERT_FALSE(ch < 0x20 || ch == 0x7F) << first << ' ' << second;
            if (!d.ReEncodesExactly) {
                ++inexact;
                continue;
            }
            const EncodedText e = EncodeCp932(d.Text);
            ASSERT_TRUE(e.Unencodable.empty());
            ASSERT_EQ(e.Bytes, in) << first << ' ' << second;
        }
    }
    EXPECT_EQ(inexact, 398);
}

TEST(Cp932Encode, TypedTextAndWhatCannotBeEncoded)
{
    EXPECT_EQ(EncodeCp932(u"A\u3042\uFF71\u4E9C").Bytes, Bytes({0x41, 0x82, 0xA0, 0xB1, 0x88, 0x9F}));
    EXPECT_EQ(EncodeCp932(u"\u301C").Bytes, Code(0x8160));  // wave dash typed on other systems
    EXPECT_EQ(EncodeCp932(std::u16string(1, Raw(0x80))).Bytes, Bytes({0x80}));

    // An emoji (surrogate pair), a no-break space and a lone surrogate; the
    // emoji is named once although it appears twice.
    const EncodedText e = EncodeCp932(u"a\U0001F600b\u00A0c\U0001F600\xD800");
    EXPECT_EQ(e.Bytes, "abc");
    EXPECT_EQ(e.Unencodable, std::u32string(U"\U0001F600\u00A0") + char32_t{0xD800});
    EXPECT_TRUE(EncodeCp932(u"").Bytes.empty());
}

TEST(Cp932Encode, Utf8TextAndMalformedSequences)
{
    EXPECT_EQ(Utf8ToCp932("A\xE3\x81\x82\xEF\xBD\xB1").Bytes, Bytes({0x41, 0x82, 0xA0, 0xB1}));
    // A stray continuation byte, an overlong slash, a cut-off sequence.
    const EncodedText e = Utf8ToCp932("a\x80" "b\xC0\xAF" "c\xE3\x81");
    EXPECT_EQ(e.Bytes, "abc");
    EXPECT_EQ(e.Unencodable, U"\uFFFD");
}

#ifdef VAVEZE_HAVE_ICONV
// The compiled-in tables are the C library's converter as the generator
// read it: every double-byte code decodes, and every character encodes, alike.
TEST(Cp932Tables, EqualTheCLibrarysConverter)
{
    const auto reference = cp932gen::BuildFromIconv();
    if (!reference)
        GTEST_SKIP() << "the C library has no CP932 converter";
    for (unsigned code = 0x8000; code < 0x10000; ++code) {
        const std::u16string text = DecodeCp932(Code(code)).Text;
        if (const char16_t ch = reference->Double[code]; ch != 0)
            ASSERT_EQ(text, std::u16string(1, ch)) << std::hex << code;
        else
            ASSERT_EQ(text.size(), 2U) << std::hex << code;
    }
    for (unsigned ch = 0; ch < 0x10000; ++ch) {
        if (ch >= 0xD800 && ch <= 0xDFFF)
            continue;
        const unsigned code = reference->Encode[ch];
        const std::string bytes = code == cp932gen::kNoCode ? "" : code < 0x100 ? Bytes({code}) : Code(code);
        ASSERT_EQ(EncodeCp932(std::u16string(1, static_cast<char16_t>(ch))).Bytes, bytes) << std::hex << ch;
    }
}
#endif

TEST(Cp932CharLength, CountsOnlyValidPairsAsTwo)
{
    const std::string s = Bytes({0x82, 0xA0, 0x82, 0x0A, 0x41, 0x81});
    EXPECT_EQ(Cp932CharLength(s, 0), 2U);
    EXPECT_EQ(Cp932CharLength(s, 2), 1U);
    EXPECT_EQ(Cp932CharLength(s, 3), 1U);
    EXPECT_EQ(Cp932CharLength(s, 5), 1U);
}

TEST(Cp932ToUtf8, DecodesWithReplacementCharacters)
{
    EXPECT_EQ(Cp932ToUtf8(Bytes({0x82, 0xA0, 0x41, 0xB1})), "\xE3\x81\x82" "A" "\xEF\xBD\xB1");
    EXPECT_EQ(Cp932ToUtf8(Bytes({0x80, 0x82, 0x0A})), "\xEF\xBF\xBD\xEF\xBF\xBD\n");
    EXPECT_EQ(Cp932ToUtf8(Bytes({0x1A, 0x7F})), "\x1A\x7F");
    EXPECT_EQ(Cp932ToUtf8(Code(0xED40)), "\xE7\xBA\x8A");
    EXPECT_EQ(Cp932ToUtf8(""), "");
}

}  // namespace
}  // namespace vaveze
