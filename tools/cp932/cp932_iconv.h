// The code page 932 tables as glibc's CP932 converter gives them. Used only
// by the generator of core/text/cp932tables.cpp and by the test that checks
// the committed tables against the converter; the core itself never calls
// iconv.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vaveze::cp932gen {

inline constexpr std::uint16_t kNoCode = 0xFFFF;

struct IconvTables {
    // lead << 8 | trail -> character; 0 = no character.
    std::vector<char16_t> Double = std::vector<char16_t>(0x10000, 0);
    // Character -> its code (a single byte below 0x100); kNoCode = none.
    // Single bytes and raw-byte characters included.
    std::vector<std::uint16_t> Encode = std::vector<std::uint16_t>(0x10000, kNoCode);
};

// Empty when the C library has no CP932 converter.
[[nodiscard]] std::optional<IconvTables> BuildFromIconv();

}  // namespace vaveze::cp932gen
