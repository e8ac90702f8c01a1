// What a salvage reading finds beyond the place where a file's ordinary
// reading stops: the texts of records read whole and checked after each
// damaged place, in file order, and the places it had to pass over. The
// ordinary reading's tables are never touched: what was salvaged is kept
// apart, so a listing of the ordinary tables stays what it was.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/readers/pagememory.h"
#include "core/readers/parseoutcome.h"
#include "core/readers/stringpool.h"

namespace vaveze {

// What a salvaged text is, for the listing's sections.
enum class SalvagedKind : std::uint8_t {
    Text,                // a text record of the drawing or symbol
    DimensionText,       // the text of a dimension
    BlockName,           // the name of a block definition (the listing adds the mark)
    BlockText,           // a text inside a block definition
    BlockDimensionText,  // a dimension's text inside a block definition
};

// The block of a salvaged line whose definition's place in the list is not
// known (definitions were passed over before it).
inline constexpr std::int32_t kUnknownBlock = -1;

struct SalvagedText {
    SalvagedKind Kind = SalvagedKind::Text;
    std::int32_t Block = kUnknownBlock;  // the block definition's number from 0, for the block kinds
    std::string_view Text;               // in SalvageResult::Strings

    bool operator==(const SalvagedText&) const = default;
};

// A run of the file the salvage reading passed over: reading could not go
// on at From (for Reason), and records could be read again at To (the
// file's size when they could not). From == To where bytes are missing from
// the file there.
struct SkippedPlace {
    StopReason Reason = StopReason::None;
    std::uint64_t From = 0;
    std::uint64_t To = 0;

    bool operator==(const SkippedPlace&) const = default;
};

struct SalvageResult {
    std::vector<SkippedPlace> Skipped;
    Table<SalvagedText> Texts;  // in file order
    StringPool Strings;         // the bytes the texts view
    // The reading's trial reads and checks, which SalvageWorkBudget bounds.
    std::uint64_t Work = 0;

    [[nodiscard]] bool Empty() const noexcept { return Skipped.empty() && Texts.empty(); }

    // Keeps a text of `kind`; false when memory ran out, which ends the
    // salvage with what it holds.
    [[nodiscard]] bool Add(SalvagedKind kind, std::int32_t block, std::string_view text) noexcept
    {
        const auto kept = Strings.Keep(text);
        if (!kept || !TryRoomForOne(Texts))
            return false;
        Texts.push_back({kind, block, *kept});
        return true;
    }
};

// Whether a string of a record could be one a drawing holds: well-formed
// Shift-JIS (a lead byte always followed by its trail byte) with no control
// byte but TAB, CR and LF. Bytes misread as a string seldom are.
[[nodiscard]] bool PlausibleSalvageText(std::string_view text) noexcept;

// Whether an 8-byte real could be one a drawing holds: zero, or finite with
// a magnitude between 1e-150 and 1e15. Bytes misread as a real seldom are.
// Without a branch, so that a run of reals is checked at once.
[[nodiscard]] inline bool PlausibleSalvageReal(std::uint64_t bits) noexcept
{
    constexpr unsigned kSmallestExponent = 1023 - 499;  // 1e-150, rounded outwards
    constexpr unsigned kLargestExponent = 1023 + 49;    // 1e15
    const auto exponent = static_cast<unsigned>(bits >> 52) & 0x7FF;
    return ((bits << 1) == 0) | ((exponent - kSmallestExponent) <= kLargestExponent - kSmallestExponent);
}

// How hard a salvage reading may look for footing: every trial read and
// every byte it checks counts, and a reading that has spent this much for
// a file of `size` bytes passes over the rest of it. So a salvage ends in
// time linear in the file's size whatever its bytes.
[[nodiscard]] constexpr std::uint64_t SalvageWorkBudget(std::uint64_t size) noexcept
{
    return (std::uint64_t{1} << 20) + 64 * size;
}

}  // namespace vaveze
