// Where a reader's parse turns the errors a file can cause into its outcome.
// Only those are caught: the file ending inside a read, a count or size that
// cannot be right, a number beyond range, and tables that cannot be
// allocated. Anything else is a fault of the program and passes on, to the
// sanitizers and fuzzers.
#pragma once

#include <filesystem>
#include <new>
#include <stdexcept>

#include "core/readers/FileAccess.h"
#include "core/readers/InputStream.h"
#include "core/readers/ParseOutcome.h"
#include "core/text/Func_.h"

namespace vaveze {

// Runs `body`, which reads the file through `in` (the cursor over the whole
// file, so its position is a file offset).
template <typename Body>
[[nodiscard]] ParseOutcome GuardParse(const InputStream& in, Body&& body)
{
    const auto stop = [&in](StopReason reason, std::uint64_t offset) {
        return ParseOutcome{reason, offset == InputError::kAtCursor ? in.tell() : offset, in.record()};
    };
    try {
        body();
        return {};
    } catch (const InputError& e) {
        // A file that ends inside a read stops at its end.
        return stop(e.reason(), e.reason() == StopReason::EndsEarly ? in.size() : e.offset());
    } catch (const ConversionOverflow&) {
        return stop(StopReason::NumberOverflow, InputError::kAtCursor);
    } catch (const std::bad_alloc&) {
        return stop(StopReason::OutOfMemory, InputError::kAtCursor);
    } catch (const std::length_error&) {  // a table beyond what a vector can hold
        return stop(StopReason::OutOfMemory, InputError::kAtCursor);
    }
}

// The readers' entry points for a file on disk: `parse` reads it through a
// cursor, a window at a time. A file that cannot be read, or fails while it
// is read, leaves the reader reset and ends at byte 0 (DetectAndParse says
// why it could not be read).
template <typename Reader, typename Parse, typename Reset>
[[nodiscard]] ParseOutcome ParseFile(Reader& reader, const std::filesystem::path& path, Parse parse, Reset reset)
{
    FileWindow file(path);
    const auto unreadable = [&file] {
        return file.Problem() != FileProblem::None && file.Problem() != FileProblem::Empty;
    };
    if (!unreadable()) {
        InputStream in = file.Cursor();
        const ParseOutcome outcome = parse(reader, in);
        if (!unreadable())
            return outcome;
    }
    reset(reader);
    return {StopReason::EndsEarly, 0, {}};
}

}  // namespace vaveze
