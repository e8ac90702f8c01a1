// The code page 932 tables, compiled in. core/text/cp932tables.cpp is
// written by tools/cp932/gen_cp932_tables from the C library's CP932
// converter and committed; cp932.cpp expands them once into lookup arrays.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vaveze::cp932 {

// Codes are lead << 8 | trail.

// Consecutive codes whose characters follow each other: FirstCode + i
// decodes to FirstChar + i.
struct DecodeRun {
    std::uint16_t FirstCode;
    std::uint16_t Count;
    char16_t FirstChar;
};

// Consecutive codes listed one by one: FirstCode + i decodes to Chars[i];
// u'\0' marks a code without a character.
struct DecodeRow {
    std::uint16_t FirstCode;
    std::u16string_view Chars;
};

// Where the encoder does not take the code that decodes to a character
// (the lowest such code, the NEC-selected IBM rows ED and EE only when no
// other code has the character): the code it takes instead.
struct EncodeChoice {
    char16_t Ch;
    std::uint16_t Code;
};

[[nodiscard]] std::span<const DecodeRun> DecodeRuns();
[[nodiscard]] std::span<const DecodeRow> DecodeRows();
[[nodiscard]] std::span<const EncodeChoice> EncodeChoices();

}  // namespace vaveze::cp932
