#include "tools/cp932/cp932_iconv.h"

#include <iconv.h>

#include "core/text/cp932.h"

namespace vaveze::cp932gen {
namespace {

bool IsLeadByte(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool IsRawByteChar(unsigned ch) { return ch >= kRawByteBase && ch <= kRawByteBase + 0xFFu; }

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
    std::size_t Convert(const unsigned char* in, std::size_t inSize, unsigned char* out, std::size_t outSize)
    {
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = inSize;
        std::size_t outLeft = outSize;
        if (::iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
            return 0;
        if (::iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return 0;
        return outSize - outLeft;
    }

private:
    iconv_t cd_;
};

// Every double-byte code the converter decodes to one UTF-16 unit. A
// character in the raw-byte range could not be told apart from a raw byte;
// none of the converter's codes maps there.
void DecodeDoubleBytes(Converter& toUtf16, IconvTables& t)
{
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(lead))
            continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const unsigned char in[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            unsigned char out[8];
            if (toUtf16.Convert(in, 2, out, sizeof out) != 2)
                continue;
            const auto ch = static_cast<char16_t>(out[0] | (out[1] << 8));
            if (ch != 0 && !IsRawByteChar(ch))
                t.Double[lead << 8 | trail] = ch;
        }
    }
}

// Every character the converter writes as one code, its preferred code for
// characters that several codes share; then the decoded characters it could
// not write (none are known), so decoding never yields a character the
// encoder refuses.
void EncodeCharacters(Converter& toCp932, IconvTables& t)
{
    for (unsigned ch = 0x80; ch < 0x10000; ++ch) {
        if ((ch >= 0xD800 && ch <= 0xDFFF) || IsRawByteChar(ch) || t.Encode[ch] != kNoCode)
            continue;
        const unsigned char in[2] = {static_cast<unsigned char>(ch & 0xFF), static_cast<unsigned char>(ch >> 8)};
        unsigned char out[8];
        const std::size_t n = toCp932.Convert(in, 2, out, sizeof out);
        if (n == 1 && out[0] >= 0xA1 && out[0] <= 0xDF)
            t.Encode[ch] = out[0];
        else if (n == 2 && t.Double[out[0] << 8 | out[1]] != 0)
            t.Encode[ch] = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
    }
    for (unsigned code = 0; code < 0x10000; ++code)
        if (t.Double[code] != 0 && t.Encode[t.Double[code]] == kNoCode)
            t.Encode[t.Double[code]] = static_cast<std::uint16_t>(code);
}

}  // namespace

std::optional<IconvTables> BuildFromIconv()
{
    Converter toUtf16("UTF-16LE", "CP932");
    Converter toCp932("CP932", "UTF-16LE");
    if (!toUtf16.ok() || !toCp932.ok())
        return std::nullopt;
    IconvTables t;
    // Single bytes 00-7F and the half-width katakana A1-DF are fixed, not
    // taken from the converter: some converters swap control bytes.
    for (unsigned b = 0; b < 0x80; ++b)
        t.Encode[b] = static_cast<std::uint16_t>(b);
    for (unsigned b = 0xA1; b <= 0xDF; ++b)
        t.Encode[0xFF61 + (b - 0xA1)] = static_cast<std::uint16_t>(b);
    DecodeDoubleBytes(toUtf16, t);
    EncodeCharacters(toCp932, t);
    for (unsigned b = 0; b < 0x100; ++b)
        t.Encode[kRawByteBase + b] = static_cast<std::uint16_t>(b);
    return t;
}

}  // namespace vaveze::cp932gen
