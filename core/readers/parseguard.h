// Where a reader's parse turns into its outcome. The readers stop the
// cursor for whatever the file's bytes cause (the file ending inside a read,
// a count or size that cannot be right, a number beyond range, a table that
// cannot be had), so nothing on their way through the file throws; what
// little may still throw for want of memory (a name's string, a fixed
// table of the header) is caught here, once per parse, as a table that
// cannot be allocated. Anything else is a fault of the program and passes
// on, to the sanitizers and fuzzers.
#pragma once

#include <new>
#include <stdexcept>

#include "core/readers/inputstream.h"
#include "core/readers/parseoutcome.h"

namespace vaveze {

// Runs `body`, which reads the file through `in` (the cursor over the whole
// file, so its position is a file offset), and says how it ended.
template <typename Body>
[[nodiscard]] ParseOutcome GuardParse(InputStream& in, Body&& body)
{
    try {
        body();
    } catch (const std::bad_alloc&) {
        in.fail(StopReason::OutOfMemory);
    } catch (const std::length_error&) {  // a table beyond what a vector can hold
        in.fail(StopReason::OutOfMemory);
    }
    return in.outcome();
}

}  // namespace vaveze
