#include "core/text/Func_.h"

#include <algorithm>
#include <cstring>

#include "core/text/decimaltosingle.h"
#include "core/text/linefilter.h"

namespace vaveze {
namespace {

// The number conversions look only at the text before its first NUL byte.
std::string_view UpToNul(std::string_view text)
{
    const auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Skips leading spaces (0x20 only) and an optional sign; returns the position
// after them and whether the sign was '-'.
std::size_t SkipSpacesAndSign(std::string_view s, bool& negative)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    return i;
}

// Far beyond any exponent that leaves a finite nonzero single, however
// many digits the mantissa has.
constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000;

}  // namespace

std::string CopyClamped(std::string_view text, std::int32_t start, std::int32_t count)
{
    const std::int64_t from = start < 1 ? 1 : start;
    if (from > static_cast<std::int64_t>(text.size()) || count < 1)
        return {};
    return std::string(text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count)));
}

std::int32_t TextToInt(std::string_view text)
{
    const std::string_view s = UpToNul(text);
    if (s.empty())
        return 0;
    bool negative = false;
    std::size_t i = SkipSpacesAndSign(s, negative);

    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        i += 1;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }

    if (i >= s.size())
        return 0;  // no digits

    if (hex) {
        // The value is the digits' 32-bit pattern; a sign does not change it.
        std::uint64_t value = 0;
        for (; i < s.size(); ++i) {
            const int digit = HexValue(s[i]);
            if (digit < 0)
                return 0;
            value = value * 16 + static_cast<unsigned>(digit);
            if (value > 0xFFFFFFFFu)
                return 0;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }

    std::int64_t value = 0;
    for (; i < s.size(); ++i) {
        if (!IsDigit(s[i]))
            return 0;
        value = value * 10 + (s[i] - '0');
        if (value > 2147483648LL)
            return 0;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        return 0;
    return static_cast<std::int32_t>(value);
}

float TextToSingle(std::string_view text)
{
    const std::string_view s = UpToNul(text);
    if (s.empty())
        return 0.0f;
    bool negative = false;
    std::size_t i = SkipSpacesAndSign(s, negative);
    if (i >= s.size())
        return 0.0f;

    // Grammar: digits ["." digits] [("E"|"e") [sign] digits], at least one
    // mantissa digit, running to the end of the text.
    const std::size_t mantissaStart = i;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return 0.0f;
    const std::string_view mantissa = s.substr(mantissaStart, i - mantissaStart);
    std::int64_t exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            negativeExponent = s[i++] == '-';
        std::size_t exponentDigits = 0;
        while (i < s.size() && IsDigit(s[i])) {
            exponent = std::min(exponent * 10 + (s[i] - '0'), kExponentLimit);
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return 0.0f;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != s.size())
        return 0.0f;
    return DecimalToSingle(negative, mantissa, exponent);
}

std::string FilterSjisLine(std::string_view text)
{
    if (!SjisLineNeedsFilter(text))
        return std::string(text);
    std::string out(text.size(), '\0');
    out.resize(FilterSjisLineInto(text, out.data()));
    return out;
}

}  // namespace vaveze
