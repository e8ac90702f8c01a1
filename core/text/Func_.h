// The text utilities of the program's design, shared by the readers and the
// listing: a substring with forgiving bounds, two lenient number conversions
// and the Shift-JIS line filter. All of them work on byte strings
// (Shift-JIS or ASCII); positions and lengths count bytes. The filter's
// fast paths are in linefilter.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vaveze {

// Raised by TextToSingle when the number lies beyond the single-precision
// range. The DOS readers treat it as an input error.
class ConversionOverflow : public std::range_error {
public:
    ConversionOverflow() : std::range_error("floating point overflow") {}
};

// Substring from the 1-based position `start`, at most `count` bytes.
// Bounds are forgiving: a start below 1 counts as 1, anything out of range
// gives an empty string.
[[nodiscard]] std::string CopyClamped(std::string_view text, std::int32_t start, std::int32_t count);

// Lenient decimal or hexadecimal ("$", "x", "X", "0x", "0X") integer;
// any malformed text gives 0.
[[nodiscard]] std::int32_t TextToInt(std::string_view text);

// Lenient decimal real rounded to single precision; malformed text gives 0.
// Throws ConversionOverflow when the magnitude exceeds the float range.
[[nodiscard]] float TextToSingle(std::string_view text);

// Drops control bytes (below 0x20) and keeps double-byte characters whole.
[[nodiscard]] std::string FilterSjisLine(std::string_view text);

}  // namespace vaveze
