// The listing filter's own parts (FilterSjisLine in Func_.h is the whole):
// the bytes it takes as leading a pair, whether a line needs it at all, and
// the filter straight into a buffer for the sinks that gather many lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vaveze {

// The listing filter's lead bytes, 80-9F and E0-FD: each takes the byte
// after it along as its pair, whatever that is. Wider than code page 932's
// lead bytes (IsCp932LeadByte: 81-9F, E0-FC), as the filter must keep
// every pair the files' own program kept.
[[nodiscard]] constexpr bool IsFilterLeadByte(unsigned char b) noexcept
{
    return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD);
}

// False when FilterSjisLine would return the text unchanged: it holds no
// byte below 0x20.
[[nodiscard]] bool SjisLineNeedsFilter(std::string_view text) noexcept;

// Writes what FilterSjisLine returns for the text to `out`, which has room
// for text.size() bytes, and returns its length.
[[nodiscard]] std::size_t FilterSjisLineInto(std::string_view text, char* out) noexcept;

namespace text_detail {

// A byte below 0x20 is one that borrows when 0x20 is taken from it while its
// top bit is clear; a borrow only spreads upwards from such a byte, so a
// word shows one exactly when it holds one.
template <typename Word>
constexpr Word ControlBytes(Word word) noexcept
{
    constexpr Word kOnes = static_cast<Word>(0x0101010101010101u);
    return (word - 0x20 * kOnes) & ~word & (0x80 * kOnes);
}

template <typename Word>
Word LoadWord(const char* at) noexcept
{
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

template <typename Word>
void StoreWord(char* at, Word word) noexcept
{
    std::memcpy(at, &word, sizeof word);
}

// Copies the text to `out` and tells whether it holds a control byte. Words
// that overlap at the end cover every length of four bytes and more without
// a loop over single bytes; the listing's texts are mostly short.
inline bool CopyAndFindControlByte(std::string_view text, char* out) noexcept
{
    const char* in = text.data();
    const std::size_t size = text.size();
    if (size >= 8) {
        const auto first = LoadWord<std::uint64_t>(in);
        const auto last = LoadWord<std::uint64_t>(in + size - 8);
        StoreWord(out, first);
        StoreWord(out + size - 8, last);
        std::uint64_t found = ControlBytes(first) | ControlBytes(last);
        for (std::size_t i = 8; i + 8 < size; i += 8) {
            const auto word = LoadWord<std::uint64_t>(in + i);
            StoreWord(out + i, word);
            found |= ControlBytes(word);
        }
        return found != 0;
    }
    if (size >= 4) {
        const auto first = LoadWord<std::uint32_t>(in);
        const auto last = LoadWord<std::uint32_t>(in + size - 4);
        StoreWord(out, first);
        StoreWord(out + size - 4, last);
        return (ControlBytes(first) | ControlBytes(last)) != 0;
    }
    bool found = false;
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = in[i];
        found |= static_cast<unsigned char>(in[i]) < 0x20;
    }
    return found;
}

}  // namespace text_detail

// FilterSjisLineInto for a sink that copies every line: a clean text, as
// nearly every one is, is checked while it is copied, in line.
[[nodiscard]] inline std::size_t CopyFilteredSjisLine(std::string_view text, char* out) noexcept
{
    if (!text_detail::CopyAndFindControlByte(text, out))
        return text.size();
    return FilterSjisLineInto(text, out);
}

}  // namespace vaveze
