// An input read a window at a time as a parse moves on. The parse's cursor
// reads from one buffer whose bytes the next ones of the input replace, so a
// large file costs a buffer of the window's size, which stays in the
// processor's cache, instead of one of its own size, whose fresh pages the
// system would have to clear and the parse read back from memory. Every
// reader copies whatever it keeps: a view the cursor gave is good only until
// its next read.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/readers/inputstream.h"
#include "core/readers/pagememory.h"

namespace vaveze {

// Larger than any single read of the readers (a string of at most 65,535
// bytes, records taken 64 KiB at a time), small enough to stay in a core's
// cache. A larger read grows the window to its size.
inline constexpr std::size_t kWindowBytes = std::size_t{256} << 10;

class WindowedInput {
public:
    // Reads at most `most` of the next bytes of the source into `into` and
    // returns how many it read: 0 only at the end of the source, or when it
    // failed (the source then knows why).
    using ReadSome = std::size_t (*)(void* source, char* into, std::size_t most);

    // An input of `size` bytes taken from `source`, `windowBytes` at a time.
    WindowedInput(std::size_t size, std::size_t windowBytes, ReadSome readSome, void* source) noexcept
        : size_(size), windowBytes_(windowBytes == 0 ? 1 : windowBytes), readSome_(readSome), source_(source)
    {
    }
    WindowedInput(const WindowedInput&) = delete;
    WindowedInput& operator=(const WindowedInput&) = delete;

    // The input's size as given; less once its source ended sooner.
    [[nodiscard]] std::size_t size() const noexcept { return size_; }

    // The first `n` bytes (fewer when the input has fewer), read now if they
    // were not yet. Only before a cursor has moved on. Throws std::bad_alloc
    // when no window can be had.
    [[nodiscard]] std::string_view First(std::size_t n);

    // A cursor over the input from its first byte. The input must outlive
    // it. Throws std::bad_alloc when no window can be had; once the cursor
    // runs, a window it cannot have stops it (OutOfMemory).
    [[nodiscard]] InputStream Cursor();

private:
    static InputStream::Refilled Refill(void* self, std::size_t from, std::size_t atLeast) noexcept;
    // The bytes from offset `from` (not before the window's start) on: at
    // least `atLeast` of them, unless the input ends sooner.
    InputStream::Refilled Window(std::size_t from, std::size_t atLeast) noexcept;
    [[nodiscard]] std::string_view WindowOrThrow(std::size_t from, std::size_t atLeast);

    PageBuffer buffer_;
    std::size_t size_;
    std::size_t windowBytes_;
    std::size_t base_ = 0;    // the input offset of buffer_'s first byte
    std::size_t filled_ = 0;  // bytes of buffer_ that hold input
    ReadSome readSome_;
    void* source_;
};

}  // namespace vaveze
