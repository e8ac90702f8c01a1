// One bounds-checked cursor over a file's bytes. Every read of every reader
// goes through it. A read that cannot deliver all its bytes, or a check of a
// reader that fails (a count that cannot be right, a table that cannot be
// had), stops the cursor: it keeps why, where and in which record it
// stopped, and every read after that gives zeros or no bytes, never touching
// memory it does not own. So nothing on the readers' way through a file
// throws, and a reader tests failed() only where a value read could size
// something, steer a loop or be kept.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "core/readers/parseoutcome.h"

namespace vaveze {

// The largest block of fixed layout a reader takes at once (records of the
// MS-DOS formats are taken this many bytes' worth at a time). A block asked
// of a stopped cursor reads as this many zeros at most.
inline constexpr std::size_t kLargestFieldBlock = std::size_t{64} << 10;

namespace input_detail {
// What a stopped cursor's blocks read: zeros, never written.
alignas(8) inline unsigned char gZeros[kLargestFieldBlock];
}  // namespace input_detail

// The fields of a block of fixed layout, taken from the cursor with one
// check for the whole block (InputStream::fields). A record's layout says
// how many bytes its fields take and the block is taken with exactly that
// many, so the fields are then read in order without a check each: decoding
// a record costs a load per field.
class FieldBlock {
public:
    explicit FieldBlock(std::string_view bytes) noexcept
        : at_(reinterpret_cast<const unsigned char*>(bytes.data())), end_(at_ + bytes.size())
    {
    }

    // A block of `n` zero bytes, what a stopped cursor gives.
    [[nodiscard]] static FieldBlock Zeros(std::size_t n) noexcept
    {
        assert(n <= kLargestFieldBlock);
        return FieldBlock(std::string_view(reinterpret_cast<const char*>(input_detail::gZeros), n));
    }

    // Bytes of the block not read yet.
    [[nodiscard]] std::size_t remaining() const noexcept { return static_cast<std::size_t>(end_ - at_); }

    [[nodiscard]] std::uint8_t readU8() noexcept { return load<std::uint8_t>(); }
    [[nodiscard]] std::uint16_t readU16() noexcept { return load<std::uint16_t>(); }
    [[nodiscard]] std::uint32_t readU32() noexcept { return load<std::uint32_t>(); }
    [[nodiscard]] std::int32_t readI32() noexcept { return static_cast<std::int32_t>(load<std::uint32_t>()); }
    // The next N bytes as they are.
    template <std::size_t N>
    [[nodiscard]] std::array<std::uint8_t, N> readByteArray() noexcept
    {
        assert(N <= remaining());
        std::array<std::uint8_t, N> out;
        std::memcpy(out.data(), at_, N);
        at_ += N;
        return out;
    }
    // IEEE 754 values are taken bit for bit.
    [[nodiscard]] double readDouble() noexcept
    {
        const std::uint64_t bits = load<std::uint64_t>();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

private:
    // Little-endian, whatever the machine's own order.
    template <typename T>
    T load() noexcept
    {
        assert(sizeof(T) <= remaining());
        T value = 0;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&value, at_, sizeof value);
        } else {
            for (std::size_t i = 0; i < sizeof value; ++i)
                value = static_cast<T>(value | static_cast<T>(static_cast<T>(at_[i]) << (8 * i)));
        }
        at_ += sizeof value;
        return value;
    }

    const unsigned char* at_;
    const unsigned char* end_;
};

class InputStream {
public:
    // Where a check stops the cursor when it names no offset of its own:
    // where the cursor stands.
    static constexpr std::uint64_t kAtCursor = std::numeric_limits<std::uint64_t>::max();

    explicit InputStream(std::string_view bytes) noexcept : data_(bytes), size_(bytes.size()) {}

    // A cursor over an input that arrives a window at a time (WindowedInput):
    // `window` holds its first bytes, `size` is how many it has in all. A
    // read beyond the window asks `refill` for the bytes from offset `from`
    // on, at least `atLeast` of them; fewer means the input ends there, and
    // OutOfMemory that no window of that size could be had. A view such a
    // cursor gives is good only until its next read.
    struct Refilled {
        std::string_view Bytes;
        bool OutOfMemory = false;
    };
    using Refill = Refilled (*)(void* owner, std::size_t from, std::size_t atLeast) noexcept;
    InputStream(std::string_view window, std::size_t size, Refill refill, void* owner) noexcept
        : data_(window), size_(size), refill_(refill), owner_(owner)
    {
    }

    // Names what is read next ("text record"), for the reason of a stop.
    // The name must have static storage.
    void mark(std::string_view record) noexcept { record_ = record; }
    [[nodiscard]] std::string_view record() const noexcept { return record_; }

    // Stops the cursor for `reason`, at `offset` (kAtCursor: where it
    // stands). A file that ends early stops at its end, whatever the offset.
    // Only the first stop counts: later ones are ignored.
    void fail(StopReason reason, std::uint64_t offset = kAtCursor) noexcept
    {
        if (failed())
            return;
        stop_ = {reason, reason == StopReason::EndsEarly ? size_ : offset == kAtCursor ? tell() : offset, record_};
        // Nothing is left to read: every read from here on finds no bytes.
        base_ = tell();
        pos_ = 0;
        data_ = {};
        size_ = base_;
        refill_ = nullptr;
    }
    [[nodiscard]] bool failed() const noexcept { return stop_.Reason != StopReason::None; }
    // How the reading went: complete unless the cursor stopped.
    [[nodiscard]] const ParseOutcome& outcome() const noexcept { return stop_; }

    // The next n bytes as a block of fixed layout (see FieldBlock); once
    // stopped, n zeros (n is at most kLargestFieldBlock).
    [[nodiscard]] FieldBlock fields(std::size_t n) noexcept
    {
        if (!available(n)) [[unlikely]]
            return FieldBlock::Zeros(n);
        const FieldBlock out(std::string_view(data_.data() + pos_, n));
        pos_ += n;
        return out;
    }

    // Offsets count from the input's first byte.
    [[nodiscard]] std::size_t tell() const noexcept { return base_ + pos_; }
    [[nodiscard]] std::size_t size() const noexcept { return size_; }
    [[nodiscard]] std::size_t remaining() const noexcept { return size_ - tell(); }

    // The next n bytes, as a view into the file's bytes; once stopped, none.
    [[nodiscard]] std::string_view readBytes(std::size_t n) noexcept
    {
        if (!available(n)) [[unlikely]]
            return {};
        std::string_view out(data_.data() + pos_, n);
        pos_ += n;
        return out;
    }

    void skip(std::size_t n) noexcept
    {
        if (available(n)) [[likely]]
            pos_ += n;
    }

    // Single fields are blocks of one field: one little-endian decoder
    // serves both.
    [[nodiscard]] std::uint8_t readU8() noexcept { return fields(1).readU8(); }
    [[nodiscard]] std::uint16_t readU16() noexcept { return fields(2).readU16(); }
    [[nodiscard]] std::uint32_t readU32() noexcept { return fields(4).readU32(); }
    [[nodiscard]] std::int32_t readI32() noexcept { return fields(4).readI32(); }
    [[nodiscard]] double readDouble() noexcept { return fields(8).readDouble(); }

    [[nodiscard]] float readFloat() noexcept
    {
        const std::uint32_t bits = readU32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

private:
    // True when the window holds the next n bytes; otherwise the cursor has
    // stopped.
    [[nodiscard]] bool available(std::size_t n) noexcept
    {
        return n <= data_.size() - pos_ || moveWindow(n);
    }

    // Out of line: the window moves once for thousands of reads.
    [[gnu::noinline]] bool moveWindow(std::size_t n) noexcept
    {
        if (refill_ != nullptr && base_ + data_.size() < size_) {
            const std::size_t from = tell();
            const Refilled next = refill_(owner_, from, n);
            if (next.OutOfMemory) {
                fail(StopReason::OutOfMemory);
                return false;
            }
            data_ = next.Bytes;
            base_ = from;
            pos_ = 0;
            if (data_.size() < n)
                size_ = std::min(size_, from + data_.size());  // the input ended short of its size
        }
        if (n <= data_.size() - pos_)
            return true;
        fail(StopReason::EndsEarly);
        return false;
    }

    std::string_view data_;  // the window: all the bytes, unless they arrive a window at a time
    std::size_t size_ = 0;   // bytes of the whole input
    std::size_t base_ = 0;   // the offset of the window's first byte
    std::size_t pos_ = 0;    // the cursor, within the window
    std::string_view record_;
    ParseOutcome stop_;      // why, where and in what the cursor stopped
    Refill refill_ = nullptr;
    void* owner_ = nullptr;
};

// Size arithmetic that cannot wrap, whatever the width of size_t (32 bits in
// the WebAssembly build): a result beyond it is a size no file can declare,
// and stops the cursor. The result is then 0.
[[nodiscard]] inline std::size_t CheckedAdd(InputStream& in, std::size_t a, std::size_t b) noexcept
{
    if (a > std::numeric_limits<std::size_t>::max() - b) {
        in.fail(StopReason::ImpossibleSize);
        return 0;
    }
    return a + b;
}

[[nodiscard]] inline std::size_t CheckedSub(InputStream& in, std::size_t a, std::size_t b) noexcept
{
    if (b > a) {
        in.fail(StopReason::ImpossibleSize);
        return 0;
    }
    return a - b;
}

}  // namespace vaveze
