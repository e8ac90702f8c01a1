// How a parse ended: read to the end of the file, or stopped early with a
// reason and the byte offset where it stopped. Everything read before the
// stop stays in the reader's tables and is listed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vaveze {

enum class StopReason : std::uint8_t {
    None,                // read to its end
    EndsEarly,           // the file ends inside a record
    UnsupportedVersion,  // a version this reader does not know
    ImpossibleSize,      // a declared count or size that cannot be right for this file
    NumberOverflow,      // a number text beyond the single-precision range
    OutOfMemory,         // a table could not be allocated
    DamagedRecord,       // a record whose tag or fields cannot be right: only the salvage
                         // reading tells these, where it passes over a damaged place
};

struct ParseOutcome {
    StopReason Reason = StopReason::None;
    // Where the parse stopped, in bytes from the file's start. A file that
    // ends early stops at its end, so this is the file's size then.
    std::uint64_t Offset = 0;
    // What was being read when it stopped, as a short English noun phrase
    // with static storage ("text record", "layer table"); empty when unknown.
    std::string_view Record;

    [[nodiscard]] bool Complete() const noexcept { return Reason == StopReason::None; }
    // True when read to the end, so a parse reads as a condition.
    explicit operator bool() const noexcept { return Complete(); }

    bool operator==(const ParseOutcome&) const = default;
};

// One English sentence for an early end, e.g. "the file ends at byte 3,000
// inside a text record"; empty for a complete parse. Front ends in other
// languages build their own from the fields.
[[nodiscard]] std::string DescribeStop(const ParseOutcome& outcome);

// The offset with thousands separators: 3000 -> "3,000".
[[nodiscard]] std::string GroupThousands(std::uint64_t value);

}  // namespace vaveze
