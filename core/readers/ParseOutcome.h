// How a parse ended: read to the end of the file, or stopped early with a
// reason and the byte offset where it stopped. Everything read before the
// stop stays in the reader's tables and is listed.
#pragma once

#include <cstdint>
#include <string_view>

namespace vaveze {

enum class StopReason : std::uint8_t {
    None,                // read to its end
    EndsEarly,           // the file ends inside a record
    UnsupportedVersion,  // a version this reader does not know
    ImpossibleSize,      // a declared count or size that cannot be right for this file
    NumberOverflow,      // a number text beyond the single-precision range
    OutOfMemory,         // a table could not be allocated
};

struct ParseOutcome {
    StopReason Reason = StopReason::None;
    std::uint64_t Offset = 0;  // where the parse stopped, in bytes from the file's start
    // What was being read when it stopped, as a short English noun phrase
    // with static storage ("text record", "layer table"); empty when unknown.
    std::string_view Record;

    [[nodiscard]] bool Complete() const noexcept { return Reason == StopReason::None; }
};

}  // namespace vaveze
