#include "core/readers/windowedinput.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>
#include <utility>

namespace vaveze {

std::string_view WindowedInput::First(std::size_t n) { return WindowOrThrow(0, n).substr(0, n); }

InputStream WindowedInput::Cursor()
{
    const std::string_view first = WindowOrThrow(0, std::min(windowBytes_, size_));
    return InputStream(first, size_, &WindowedInput::Refill, this);
}

InputStream::Refilled WindowedInput::Refill(void* self, std::size_t from, std::size_t atLeast) noexcept
{
    return static_cast<WindowedInput*>(self)->Window(from, atLeast);
}

std::string_view WindowedInput::WindowOrThrow(std::size_t from, std::size_t atLeast)
{
    const InputStream::Refilled window = Window(from, atLeast);
    if (window.OutOfMemory)
        throw std::bad_alloc();
    return window.Bytes;
}

InputStream::Refilled WindowedInput::Window(std::size_t from, std::size_t atLeast) noexcept
{
    assert(from >= base_);  // the bytes before the window are gone
    // The bytes not yet passed move to the front; room for a read larger
    // than the window is made once, in a buffer of just that size.
    const std::size_t kept = base_ + filled_ > from ? base_ + filled_ - from : 0;
    const std::size_t wanted = std::min(atLeast, size_ - std::min(size_, from));
    const std::size_t capacity = std::max({windowBytes_, wanted, kept});
    if (buffer_.size() < capacity) {
        PageBuffer larger = PageBuffer::TryAllocate(capacity);
        if (larger.data() == nullptr)
            return {{}, true};  // as it was: the cursor stops where it stands
        if (kept != 0)
            std::memcpy(larger.data(), buffer_.data() + (from - base_), kept);
        buffer_ = std::move(larger);
    } else if (kept != 0 && from != base_) {
        std::memmove(buffer_.data(), buffer_.data() + (from - base_), kept);
    }
    base_ = from;
    filled_ = kept;

    // Then as much of the input as fits, in as few reads as the source allows.
    const std::size_t end = std::min(buffer_.size(), size_ - base_);
    while (filled_ < end) {
        const std::size_t got = readSome_(source_, buffer_.data() + filled_, end - filled_);
        if (got == 0) {
            size_ = base_ + filled_;  // ended (or failed) short of its size
            break;
        }
        filled_ += got;
    }
    return {{buffer_.data(), filled_}};
}

}  // namespace vaveze
