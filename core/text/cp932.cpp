#include "core/text/cp932.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <vector>

namespace vaveze {
namespace {

constexpr std::uint16_t kNoCode = 0xFFFF;

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Owns one iconv conversion descriptor.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    [[nodiscard]] bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts one whole input; the number of output bytes, or 0 when the
    // input is not converted completely.
    std::size_t Convert(const void* in, std::size_t inSize, unsigned char* out, std::size_t outSize)
    {
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = static_cast<char*>(const_cast<void*>(in));
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = inSize;
        std::size_t outLeft = outSize;
        if (::iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
            return 0;
        // Flush any shift state; code page 932 has none, but be exact.
        if (::iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return 0;
        return outSize - outLeft;
    }

private:
    iconv_t cd_;
};

// The decode and encode tables, built once from the C library's converter.
// Single bytes 00-7F and the half-width katakana A1-DF are fixed here, since
// some converters swap control bytes; everything double-byte comes from the
// converter. Without a converter only the single bytes are known and every
// other byte shows as a raw byte, which still saves back exactly.
struct Tables {
    std::array<bool, 256> SingleValid{};
    std::array<char16_t, 256> Single{};
    std::vector<char16_t> Double = std::vector<char16_t>(0x10000, 0);  // lead << 8 | trail; 0 = none
    std::vector<bool> DoubleExact = std::vector<bool>(0x10000, true);
    std::vector<std::uint16_t> Encode = std::vector<std::uint16_t>(0x10000, kNoCode);

    Tables()
    {
        for (unsigned b = 0; b < 0x80; ++b)
            SetSingle(b, static_cast<char16_t>(b));
        for (unsigned b = 0xA1; b <= 0xDF; ++b)
            SetSingle(b, static_cast<char16_t>(0xFF61 + (b - 0xA1)));
        BuildDouble();
        BuildEncode();
        for (unsigned b = 0; b < 0x100; ++b)
            Encode[kRawByteBase + b] = static_cast<std::uint16_t>(b);
        for (unsigned code = 0; code < 0x10000; ++code)
            if (Double[code] != 0)
                DoubleExact[code] = Encode[Double[code]] == code;
    }

private:
    void SetSingle(unsigned b, char16_t ch)
    {
        SingleValid[b] = true;
        Single[b] = ch;
        Encode[ch] = static_cast<std::uint16_t>(b);
    }

    void BuildDouble()
    {
        Converter toUtf16("UTF-16LE", "CP932");
        if (!toUtf16.ok())
            return;
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsLeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                const unsigned char in[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
                unsigned char out[8];
                if (toUtf16.Convert(in, 2, out, sizeof out) != 2)
                    continue;
                const auto ch = static_cast<char16_t>(out[0] | (out[1] << 8));
                // A character in the raw-byte range could not be told apart
                // from a raw byte; none of the converter's codes maps there.
                if (ch == 0 || (ch >= kRawByteBase && ch <= kRawByteBase + 0xFF))
                    continue;
                Double[lead << 8 | trail] = ch;
            }
        }
    }

    // Every character the converter can write as one code, its preferred
    // code for characters that several codes share; then the decoded
    // characters it could not write (none are known), so decoding never
    // yields a character the encoder refuses.
    void BuildEncode()
    {
        Converter toCp932("CP932", "UTF-16LE");
        if (toCp932.ok()) {
            for (unsigned ch = 0x80; ch < 0x10000; ++ch) {
                if ((ch >= 0xD800 && ch <= 0xDFFF) || (ch >= kRawByteBase && ch <= kRawByteBase + 0xFF) ||
                    Encode[ch] != kNoCode)
                    continue;
                const unsigned char in[2] = {static_cast<unsigned char>(ch & 0xFF), static_cast<unsigned char>(ch >> 8)};
                unsigned char out[8];
                const std::size_t n = toCp932.Convert(in, 2, out, sizeof out);
                if (n == 1 && out[0] >= 0x80 && SingleValid[out[0]])
                    Encode[ch] = out[0];
                else if (n == 2 && Double[out[0] << 8 | out[1]] != 0)
                    Encode[ch] = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
            }
        }
        for (unsigned code = 0; code < 0x10000; ++code)
            if (Double[code] != 0 && Encode[Double[code]] == kNoCode)
                Encode[Double[code]] = static_cast<std::uint16_t>(code);
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
    if (IsLeadByte(b) && pos + 1 < bytes.size()) {
        const unsigned code = b << 8 | static_cast<unsigned char>(bytes[pos + 1]);
        if (const char16_t ch = t.Double[code]; ch != 0)
            return {ch, true, t.DoubleExact[code], 2};
    }
    if (t.SingleValid[b])
        return {t.Single[b], true, true, 1};
    return {static_cast<char16_t>(kRawByteBase + b), false, true, 1};
}

bool IsControl(char16_t ch) { return ch < 0x20 || ch == 0x7F; }

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

}  // namespace

DecodedText DecodeCp932(std::string_view bytes, ControlBytes controls)
{
    const Tables& t = TheTables();
    DecodedText result;
    // Never more characters than bytes: written in place, then cut to size.
    // Every listed line of a full pane comes through here.
    result.Text.resize(bytes.size());
    char16_t* out = result.Text.data();
    bool exact = true;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const Char c = CharAt(t, bytes, pos);
        if (controls == ControlBytes::AsRawByte && c.Length == 1 && IsControl(c.Ch))
            *out++ = static_cast<char16_t>(kRawByteBase + c.Ch);
        else
            *out++ = c.Ch;
        exact = exact && c.Exact;
        pos += c.Length;
    }
    result.Text.resize(static_cast<std::size_t>(out - result.Text.data()));
    result.ReEncodesExactly = exact;
    return result;
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
