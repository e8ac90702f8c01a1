// Decimal to single precision with the same bits on every platform.
#pragma once

#include <cstdint>
#include <string_view>

namespace vaveze {

// The value mantissa × 10^exponent rounded first to the 64-bit significand
// of the x86 extended format and then to single precision, both to nearest
// with ties to even: what converting through an 80-bit long double gives,
// which is how these numbers have always been read. Computed with integers
// only, so it does not depend on the platform's long double or its C
// library. The mantissa holds decimal digits and at most one '.'; an
// exponent beyond +-10^15 may be passed as +-10^15. Throws
// ConversionOverflow when the result exceeds the single-precision range.
[[nodiscard]] float DecimalToSingle(bool negative, std::string_view mantissa, std::int64_t exponent);

}  // namespace vaveze
