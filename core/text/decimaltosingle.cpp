#include "core/text/decimaltosingle.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

#include "core/text/Func_.h"

namespace vaveze {
namespace {

// Every value at or above 10^39 overflows single precision and every value
// below 10^-46 rounds to zero, so only a value of the form 0.d1d2... × 10^P
// with -45 <= P <= 39 is converted, and then at most 2^-218 matters: 65
// bits from a leading one at 2^-153 or above. Digits beyond the 45 + 240th
// decimal place cannot change bits that coarse, only whether something
// follows them.
constexpr std::int64_t kMaxPoint = 39;
constexpr std::int64_t kMinPoint = -45;
constexpr std::size_t kKeptDigits = 240;

struct Decimal {
    std::array<std::uint8_t, kKeptDigits> Digits{};  // the first is not 0
    std::size_t Count = 0;
    bool MoreFollow = false;  // a nonzero digit after the kept ones
    std::int64_t Point = 0;   // the value is 0.Digits × 10^Point
};

Decimal SignificantDigits(std::string_view mantissa, std::int64_t exponent)
{
    Decimal d;
    std::int64_t integerDigits = 0;
    bool afterPoint = false;
    bool leading = true;
    for (const char c : mantissa) {
        if (c == '.') {
            afterPoint = true;
            continue;
        }
        const auto digit = static_cast<std::uint8_t>(c - '0');
        if (leading && digit == 0) {
            if (afterPoint)
                --d.Point;  // a zero between the point and the first digit
            continue;
        }
        leading = false;
        if (!afterPoint)
            ++integerDigits;
        if (d.Count < kKeptDigits)
            d.Digits[d.Count++] = digit;
        else if (digit != 0)
            d.MoreFollow = true;
    }
    d.Point += integerDigits + exponent;
    return d;
}

// The binary expansion of the value, read one bit at a time from its
// leading one: the first 64 bits, the bit after them and whether any other
// bit follows.
class Bits {
public:
    void Push(bool bit)
    {
        if (count_ < 64)
            significand_ = significand_ << 1 | static_cast<std::uint64_t>(bit);
        else if (count_ == 64)
            round_ = bit;
        else
            sticky_ = sticky_ || bit;
        ++count_;
    }
    [[nodiscard]] bool Empty() const { return count_ == 0; }
    [[nodiscard]] bool NeedMore() const { return count_ <= 64; }
    void MarkSticky() { sticky_ = true; }

    // The 64-bit significand rounded to nearest, ties to even; the exponent
    // of the leading one moves up when the rounding carries out.
    [[nodiscard]] std::uint64_t Rounded(int& leadExponent) const
    {
        std::uint64_t s = count_ < 64 ? significand_ << (64 - count_) : significand_;
        if (round_ && (sticky_ || (s & 1) != 0)) {
            if (++s == 0) {
                s = std::uint64_t{1} << 63;
                ++leadExponent;
            }
        }
        return s;
    }

private:
    std::uint64_t significand_ = 0;
    int count_ = 0;
    bool round_ = false;
    bool sticky_ = false;
};

// The integer part: below 10^39 < 2^130, five 32-bit limbs, lowest first.
using Integer = std::array<std::uint32_t, 5>;

void MultiplyAdd(Integer& n, unsigned factor, unsigned add)
{
    std::uint64_t carry = add;
    for (std::uint32_t& limb : n) {
        const std::uint64_t v = std::uint64_t{limb} * factor + carry;
        limb = static_cast<std::uint32_t>(v);
        carry = v >> 32;
    }
}

int BitLength(const Integer& n)
{
    for (std::size_t i = n.size(); i-- > 0;)
        if (n[i] != 0)
            return static_cast<int>(i * 32) + std::bit_width(n[i]);
    return 0;
}

bool BitAt(const Integer& n, int i) { return ((n[static_cast<std::size_t>(i / 32)] >> (i % 32)) & 1) != 0; }

// The fraction part in base 10^9, most significant limb first. Multiplying
// it by 2^32 moves its next 32 binary digits into the integer position.
class Fraction {
public:
    void Append(std::uint8_t digit)
    {
        if (digits_ % 9 == 0)
            limbs_[size_++] = 0;
        limbs_[size_ - 1] = limbs_[size_ - 1] * 10 + digit;
        ++digits_;
    }
    void Close()
    {
        for (; digits_ % 9 != 0; ++digits_)
            limbs_[size_ - 1] *= 10;
    }
    [[nodiscard]] bool IsZero()
    {
        while (size_ > 0 && limbs_[size_ - 1] == 0)
            --size_;
        return size_ == 0;
    }
    std::uint32_t Next32Bits()
    {
        std::uint64_t carry = 0;
        for (std::size_t i = size_; i-- > 0;) {
            const std::uint64_t v = (std::uint64_t{limbs_[i]} << 32) + carry;
            limbs_[i] = static_cast<std::uint32_t>(v % kBase);
            carry = v / kBase;
        }
        return static_cast<std::uint32_t>(carry);
    }

private:
    static constexpr std::uint64_t kBase = 1'000'000'000;
    std::array<std::uint32_t, (kKeptDigits - kMinPoint + 8) / 9> limbs_{};
    std::size_t size_ = 0;
    std::size_t digits_ = 0;
};

// The exact value rounded to 64 significant bits, as significand × 2^(lead - 63).
std::uint64_t ToExtended(const Decimal& d, int& lead)
{
    Integer integer{};
    Fraction fraction;
    for (std::int64_t i = 0; i < d.Point; ++i)
        MultiplyAdd(integer, 10, i < static_cast<std::int64_t>(d.Count) ? d.Digits[static_cast<std::size_t>(i)] : 0);
    for (std::int64_t i = d.Point; i < 0; ++i)
        fraction.Append(0);
    for (std::size_t i = d.Point > 0 ? static_cast<std::size_t>(d.Point) : 0; i < d.Count; ++i)
        fraction.Append(d.Digits[i]);
    fraction.Close();

    Bits bits;
    const int integerBits = BitLength(integer);
    lead = integerBits - 1;
    for (int i = integerBits - 1; i >= 0; --i)
        bits.Push(BitAt(integer, i));
    while (bits.NeedMore() && !fraction.IsZero()) {
        const std::uint32_t next = fraction.Next32Bits();
        for (int k = 31; k >= 0; --k) {
            const bool bit = ((next >> k) & 1) != 0;
            if (bits.Empty() && !bit)
                --lead;  // still before the leading one
            else
                bits.Push(bit);
        }
    }
    if (!fraction.IsZero() || d.MoreFollow)
        bits.MarkSticky();
    return bits.Rounded(lead);
}

// Single precision of significand × 2^(lead - 63), to nearest with ties to
// even, denormals included; the bit pattern without the sign.
std::uint32_t ToSingleBits(std::uint64_t significand, int lead)
{
    // Significant bits single precision keeps at this exponent.
    const int keep = lead >= -126 ? 24 : lead + 150;
    if (keep < 0)
        return 0;
    std::uint64_t q = 0;
    if (keep == 0) {
        q = significand > std::uint64_t{1} << 63 ? 1 : 0;  // above half the least denormal
    } else {
        const int shift = 64 - keep;
        q = significand >> shift;
        const std::uint64_t rest = significand & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (q & 1) != 0))
            ++q;
    }
    int exponent = keep > 0 ? lead - keep + 1 : -149;  // of q's lowest bit
    if (q < (1u << 23))
        return static_cast<std::uint32_t>(q);  // a denormal (or zero)
    if (q == (1u << 24)) {
        q >>= 1;
        ++exponent;
    }
    const int biased = exponent + 150;
    if (biased >= 255)
        throw ConversionOverflow();
    return static_cast<std::uint32_t>(biased) << 23 | static_cast<std::uint32_t>(q & 0x7FFFFF);
}

}  // namespace

float DecimalToSingle(bool negative, std::string_view mantissa, std::int64_t exponent)
{
    const Decimal d = SignificantDigits(mantissa, exponent);
    std::uint32_t bits = 0;
    if (d.Count != 0 && d.Point > kMaxPoint)
        throw ConversionOverflow();
    if (d.Count != 0 && d.Point >= kMinPoint) {
        int lead = 0;
        const std::uint64_t significand = ToExtended(d, lead);
        bits = ToSingleBits(significand, lead);
    }
    if (negative)
        bits |= 0x80000000u;
    // Not std::bit_cast: some standard libraries still lack it.
    float result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

}  // namespace vaveze
