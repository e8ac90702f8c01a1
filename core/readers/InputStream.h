// One bounds-checked cursor over a file's bytes. Every read of every reader
// goes through it; a read that cannot deliver all its bytes throws InputError,
// which the reader's parse catches.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/readers/ParseOutcome.h"

namespace vaveze {

// An error the file's bytes cause: by default the file ending inside a read.
// Errors found by checks rather than reads carry their own reason, and the
// offset of the field at fault where the check knows it.
class InputError : public std::runtime_error {
public:
    static constexpr std::uint64_t kAtCursor = std::numeric_limits<std::uint64_t>::max();

    explicit InputError(const char* what, StopReason reason = StopReason::EndsEarly,
                        std::uint64_t offset = kAtCursor)
        : std::runtime_error(what), reason_(reason), offset_(offset)
    {
    }

    [[nodiscard]] StopReason reason() const noexcept { return reason_; }
    // kAtCursor: where the parse's cursor stands.
    [[nodiscard]] std::uint64_t offset() const noexcept { return offset_; }

private:
    StopReason reason_;
    std::uint64_t offset_;
};

// Size arithmetic that cannot wrap, whatever the width of size_t (32 bits in
// the WebAssembly build): a result beyond it is a size no file can declare.
[[nodiscard]] inline std::size_t CheckedMul(std::size_t a, std::size_t b)
{
    if (b != 0 && a > std::numeric_limits<std::size_t>::max() / b)
        throw InputError("size out of range", StopReason::ImpossibleSize);
    return a * b;
}

[[nodiscard]] inline std::size_t CheckedAdd(std::size_t a, std::size_t b)
{
    if (a > std::numeric_limits<std::size_t>::max() - b)
        throw InputError("size out of range", StopReason::ImpossibleSize);
    return a + b;
}

[[nodiscard]] inline std::size_t CheckedSub(std::size_t a, std::size_t b)
{
    if (b > a)
        throw InputError("size out of range", StopReason::ImpossibleSize);
    return a - b;
}

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
    explicit InputStream(std::string_view bytes) noexcept : data_(bytes), size_(bytes.size()) {}

    // A cursor over an input that arrives a window at a time (WindowedInput):
    // `window` holds its first bytes, `size` is how many it has in all. A
    // read beyond the window asks `refill` for the bytes from offset `from`
    // on, at least `atLeast` of them; fewer means the input ends there. A
    // view such a cursor gives is good only until its next read.
    using Refill = std::string_view (*)(void* owner, std::size_t from, std::size_t atLeast);
    InputStream(std::string_view window, std::size_t size, Refill refill, void* owner) noexcept
        : data_(window), size_(size), refill_(refill), owner_(owner)
    {
    }

    // Names what is read next ("text record"), for the reason of an early
    // end. The name must have static storage.
    void mark(std::string_view record) noexcept { record_ = record; }
    [[nodiscard]] std::string_view record() const noexcept { return record_; }

    // The next n bytes as a cursor of their own, for blocks that are read
    // whole and then taken apart.
    [[nodiscard]] InputStream take(std::size_t n) { return InputStream(readBytes(n)); }

    // The next n bytes as a block of fixed layout (see FieldBlock).
    [[nodiscard]] FieldBlock fields(std::size_t n) { return FieldBlock(readBytes(n)); }

    // Offsets count from the input's first byte.
    [[nodiscard]] std::size_t tell() const noexcept { return base_ + pos_; }
    [[nodiscard]] std::size_t size() const noexcept { return size_; }
    [[nodiscard]] std::size_t remaining() const noexcept { return size_ - tell(); }

    // The next n bytes, as a view into the file's bytes.
    std::string_view readBytes(std::size_t n)
    {
        require(n);
        std::string_view out(data_.data() + pos_, n);
        pos_ += n;
        return out;
    }

    void skip(std::size_t n)
    {
        require(n);
        pos_ += n;
    }

    // Single fields are blocks of one field: one little-endian decoder
    // serves both.
    std::uint8_t readU8() { return fields(1).readU8(); }
    std::uint16_t readU16() { return fields(2).readU16(); }
    std::uint32_t readU32() { return fields(4).readU32(); }
    std::int32_t readI32() { return fields(4).readI32(); }
    double readDouble() { return fields(8).readDouble(); }

    float readFloat()
    {
        const std::uint32_t bits = readU32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

private:
    void require(std::size_t n)
    {
        if (n > data_.size() - pos_) [[unlikely]]
            moveWindow(n);
    }

    // Out of line: the window moves once for thousands of reads.
    [[gnu::noinline]] void moveWindow(std::size_t n)
    {
        if (refill_ != nullptr && base_ + data_.size() < size_) {
            const std::size_t from = tell();
            data_ = refill_(owner_, from, n);
            base_ = from;
            pos_ = 0;
            if (data_.size() < n)
                size_ = std::min(size_, from + data_.size());  // the input ended short of its size
        }
        if (n > data_.size() - pos_)
            throw InputError("unexpected end of file");
    }

    std::string_view data_;  // the window: all the bytes, unless they arrive a window at a time
    std::size_t size_ = 0;   // bytes of the whole input
    std::size_t base_ = 0;   // the offset of the window's first byte
    std::size_t pos_ = 0;    // the cursor, within the window
    std::string_view record_;
    Refill refill_ = nullptr;
    void* owner_ = nullptr;
};

}  // namespace vaveze
