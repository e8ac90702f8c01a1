#include "core/text/cp932.h"

#include <array>
#include <cstdint>
#include <vector>

#include "core/text/cp932tables.h"

namespace vaveze {
namespace {

constexpr std::uint16_t kNoCode = 0xFFFF;

// The NEC-selected IBM rows repeat characters of the IBM rows; the encoder
// takes their codes only for characters no other code has.
bool IsNecSelectedIbm(unsigned code) { return (code >> 8) == 0xED || (code >> 8) == 0xEE; }

// The lookup arrays, expanded once from the compiled-in tables. Single
// bytes 00-7F and the half-width katakana A1-DF are fixed here; everything
// double-byte comes from the tables. Every other byte shows as a raw byte.
struct Tables {
    std::array<bool, 256> SingleValid{};
    std::array<char16_t, 256> Single{};
    // What a byte that is not the start of a double-byte character shows as,
    // by ControlBytes: itself, its single-byte character or a raw byte.
    std::array<std::array<char16_t, 256>, 2> Shown{};
    std::array<bool, 256> Lead{};
    std::vector<char16_t> Double = std::vector<char16_t>(0x10000, 0);  // lead << 8 | trail; 0 = none
    std::vector<std::uint8_t> DoubleExact = std::vector<std::uint8_t>(0x10000, 1);
    std::vector<std::uint16_t> Encode = std::vector<std::uint16_t>(0x10000, kNoCode);

    Tables()
    {
        for (unsigned b = 0; b < 0x80; ++b)
            SetSingle(b, static_cast<char16_t>(b));
        for (unsigned b = 0xA1; b <= 0xDF; ++b)
            SetSingle(b, static_cast<char16_t>(0xFF61 + (b - 0xA1)));
        for (unsigned b = 0; b < 0x100; ++b) {
            const auto raw = static_cast<char16_t>(kRawByteBase + b);
            const bool control = b < 0x20 || b == 0x7F;
            Shown[0][b] = SingleValid[b] ? Single[b] : raw;
            Shown[1][b] = SingleValid[b] && !control ? Single[b] : raw;
            Lead[b] = IsCp932LeadByte(static_cast<unsigned char>(b));
        }
        for (const cp932::DecodeRun& run : cp932::DecodeRuns())
            for (unsigned i = 0; i < run.Count; ++i)
                Double[run.FirstCode + i] = static_cast<char16_t>(run.FirstChar + i);
        for (const cp932::DecodeRow& row : cp932::DecodeRows())
            for (std::size_t i = 0; i < row.Chars.size(); ++i)
                Double[row.FirstCode + i] = row.Chars[i];
        BuildEncode();
        for (unsigned b = 0; b < 0x100; ++b)
            Encode[kRawByteBase + b] = static_cast<std::uint16_t>(b);
        for (unsigned code = 0; code < 0x10000; ++code)
            if (Double[code] != 0)
                DoubleExact[code] = Encode[Double[code]] == code ? 1 : 0;
    }

private:
    void SetSingle(unsigned b, char16_t ch)
    {
        SingleValid[b] = true;
        Single[b] = ch;
        Encode[ch] = static_cast<std::uint16_t>(b);
    }

    // Each decoded character's lowest code, a code of the NEC-selected IBM
    // rows last; then the few characters the system encodes otherwise,
    // those it encodes without decoding to them included.
    void BuildEncode()
    {
        for (bool necSelected : {false, true})
            for (unsigned code = 0; code < 0x10000; ++code)
                if (Double[code] != 0 && IsNecSelectedIbm(code) == necSelected && Encode[Double[code]] == kNoCode)
                    Encode[Double[code]] = static_cast<std::uint16_t>(code);
        for (const cp932::EncodeChoice& choice : cp932::EncodeChoices())
            Encode[choice.Ch] = choice.Code;
    }
};

const Tables& TheTables()
{
    static const Tables tables;
    return tables;
}

struct Char {
    char16_t Ch;
    bool Valid;          // false: a byte that starts no character
    bool Exact;          // encodes back to the same bytes
    std::size_t Length;  // bytes consumed
};

Char CharAt(const Tables& t, std::string_view bytes, std::size_t pos)
{
    const auto b = static_cast<unsigned char>(bytes[pos]);
    if (IsCp932LeadByte(b) && pos + 1 < bytes.size()) {
        const unsigned code = b << 8 | static_cast<unsigned char>(bytes[pos + 1]);
        if (const char16_t ch = t.Double[code]; ch != 0)
            return {ch, true, t.DoubleExact[code] != 0, 2};
    }
    if (t.SingleValid[b])
        return {t.Single[b], true, true, 1};
    return {static_cast<char16_t>(kRawByteBase + b), false, true, 1};
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// The UTF-16 form of UTF-8 text, U+FFFD for each byte that starts no
// well-formed sequence; `wellFormed` says whether there was none.
std::u16string DecodeUtf8(std::string_view utf8, bool& wellFormed)
{
    wellFormed = true;
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
        char32_t cp = length == 4 ? b & 0x07u : length == 3 ? b & 0x0Fu : length == 2 ? b & 0x1Fu : b;
        bool valid = length != 0 && b <= 0xF4 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto c = static_cast<unsigned char>(utf8[i + k]);
            valid = (c & 0xC0) == 0x80;
            cp = cp << 6 | (c & 0x3Fu);
        }
        constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!valid || cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\uFFFD';
            wellFormed = false;
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += length;
    }
    return out;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    bool wellFormed = true;
    return DecodeUtf8(utf8, wellFormed);
}

std::u16string TextOfArgument(std::string_view bytes)
{
    bool wellFormed = true;
    std::u16string text = DecodeUtf8(bytes, wellFormed);
    return wellFormed ? text : DecodeCp932(bytes).Text;
}

DecodedText DecodeCp932(std::string_view bytes, ControlBytes controls)
{
    DecodedText result;
    result.Text.resize(bytes.size());
    const DecodedLength decoded = DecodeCp932Into(bytes, controls, result.Text.data());
    result.Text.resize(decoded.Units);
    result.ReEncodesExactly = decoded.ReEncodesExactly;
    return result;
}

// Every listed line of a full pane comes through here: one table look-up
// per byte, or per pair of bytes.
DecodedLength DecodeCp932Into(std::string_view bytes, ControlBytes controls, char16_t* out)
{
    const Tables& t = TheTables();
    const char16_t* shown = t.Shown[controls == ControlBytes::AsRawByte ? 1 : 0].data();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    char16_t* const first = out;
    bool exact = true;
    for (std::size_t pos = 0; pos < size;) {
        const unsigned b = in[pos];
        if (t.Lead[b] && pos + 1 < size) {
            const unsigned code = b << 8 | in[pos + 1];
            if (const char16_t ch = t.Double[code]; ch != 0) {
                *out++ = ch;
                exact = exact && t.DoubleExact[code] != 0;
                pos += 2;
                continue;
            }
        }
        *out++ = shown[b];
        ++pos;
    }
    return {static_cast<std::size_t>(out - first), exact};
}

std::size_t Cp932CharLength(std::string_view bytes, std::size_t pos)
{
    return CharAt(TheTables(), bytes, pos).Length;
}

EncodedText EncodeCp932(std::u16string_view text)
{
    const Tables& t = TheTables();
    EncodedText result;
    result.Bytes.reserve(text.size() * 2);
    auto refuse = [&result](char32_t cp) {
        if (result.Unencodable.find(cp) == std::u32string::npos)
            result.Unencodable += cp;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            refuse(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
            continue;
        }
        const std::uint16_t code = t.Encode[unit];
        if (code == kNoCode) {
            refuse(unit);
        } else if (code < 0x100) {
            result.Bytes += static_cast<char>(code);
        } else {
            result.Bytes += static_cast<char>(code >> 8);
            result.Bytes += static_cast<char>(code & 0xFF);
        }
    }
    return result;
}

EncodedText Utf8ToCp932(std::string_view utf8)
{
    return EncodeCp932(Utf8ToUtf16(utf8));
}

std::string Cp932ToUtf8(std::string_view sjisBytes)
{
    const Tables& t = TheTables();
    std::string out;
    out.reserve(sjisBytes.size() * 3 / 2);
    for (std::size_t pos = 0; pos < sjisBytes.size();) {
        const Char c = CharAt(t, sjisBytes, pos);
        AppendUtf8(out, c.Valid ? c.Ch : U'\uFFFD');
        pos += c.Length;
    }
    return out;
}

}  // namespace vaveze
