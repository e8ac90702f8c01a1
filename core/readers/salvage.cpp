#include "core/readers/salvage.h"

#include <array>

namespace vaveze {
namespace {

// Well-formed strings as an automaton over bytes: between characters (0),
// after a lead byte (1), or wrong for good (2).
constexpr std::uint8_t kBetween = 0;
constexpr std::uint8_t kAfterLead = 1;
constexpr std::uint8_t kWrong = 2;

constexpr bool IsSingle(unsigned b)
{
    return b == 0x09 || b == 0x0A || b == 0x0D || (b >= 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF);
}
constexpr bool IsLead(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsTrail(unsigned b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

constexpr std::array<std::uint8_t, 3 * 256> kNextState = [] {
    std::array<std::uint8_t, 3 * 256> next{};
    for (unsigned b = 0; b < 256; ++b) {
        next[kBetween * 256 + b] = IsSingle(b) ? kBetween : IsLead(b) ? kAfterLead : kWrong;
        next[kAfterLead * 256 + b] = IsTrail(b) ? kBetween : kWrong;
        next[kWrong * 256 + b] = kWrong;
    }
    return next;
}();

}  // namespace

bool PlausibleSalvageText(std::string_view text) noexcept
{
    const auto* at = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = at + text.size();
    while (at != end) {
        const std::uint8_t next = kNextState[*at];
        if (next == kBetween) {
            ++at;
        } else if (next == kAfterLead && end - at >= 2 && kNextState[256 + at[1]] == kBetween) {
            at += 2;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace vaveze
