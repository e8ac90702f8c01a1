// Pieces shared by the two MS-DOS formats: 200-byte header lines, the field
// splitter, four fixed-size entity records and the string pool.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "readers/InputStream.h"

namespace vaveze {

inline constexpr std::size_t kDosHeaderLineSize = 200;

struct TSen2 {  // DOS line record, kept as its 22 bytes
    std::array<std::uint8_t, 22> Bytes{};
};

struct TEnko2 {  // DOS arc record
    std::uint32_t Value1 = 0;
    std::uint32_t Value2 = 0;
    std::uint32_t Value3 = 0;
    float Ratio = 0.0f;
    float Real1 = 0.0f;
    float Real2 = 0.0f;
    float Real3 = 0.0f;
    std::array<std::uint8_t, 6> Bytes{};
};

struct TTen2 {  // DOS point record
    std::uint32_t Value1 = 0;
    std::uint32_t Value2 = 0;
    std::uint32_t Value3 = 0;
};

struct TMoji2 {  // DOS text record
    std::array<std::uint32_t, 4> Values{};
    std::int32_t PoolPosition = 0;
    std::array<std::uint8_t, 4> AttrBytes{};
    std::string Text;  // the only member that is listed
};

// Splits a header line into exactly n fields (see dosrecords.cpp).
[[nodiscard]] std::vector<std::string> SplitFields(std::string_view line, std::size_t n);

}  // namespace vaveze
