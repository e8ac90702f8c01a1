// One bounds-checked cursor over a file's bytes. Every read of every reader
// goes through it; a read that cannot deliver all its bytes throws InputError,
// which the reader's parse catches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vaveze {

class InputError : public std::runtime_error {
public:
    explicit InputError(const char* what) : std::runtime_error(what) {}
};

class InputStream {
public:
    explicit InputStream(std::string_view bytes) noexcept : data_(bytes) {}

    [[nodiscard]] std::size_t tell() const noexcept { return pos_; }
    [[nodiscard]] std::size_t size() const noexcept { return data_.size(); }
    [[nodiscard]] std::size_t remaining() const noexcept { return data_.size() - pos_; }

    // The next n bytes, as a view into the file's bytes.
    std::string_view readBytes(std::size_t n)
    {
        require(n);
        std::string_view out = data_.substr(pos_, n);
        pos_ += n;
        return out;
    }

    void skip(std::size_t n)
    {
        require(n);
        pos_ += n;
    }

    std::uint8_t readU8()
    {
        require(1);
        return static_cast<std::uint8_t>(data_[pos_++]);
    }

    std::uint16_t readU16()
    {
        require(2);
        const auto* p = bytesAt(pos_);
        pos_ += 2;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }

    std::uint32_t readU32()
    {
        require(4);
        const auto* p = bytesAt(pos_);
        pos_ += 4;
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }

    std::int32_t readI32() { return static_cast<std::int32_t>(readU32()); }

    std::uint64_t readU64()
    {
        const std::uint64_t lo = readU32();
        const std::uint64_t hi = readU32();
        return lo | (hi << 32);
    }

    // IEEE 754 values are taken bit for bit.
    double readDouble()
    {
        const std::uint64_t bits = readU64();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

    float readFloat()
    {
        const std::uint32_t bits = readU32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

private:
    void require(std::size_t n) const
    {
        if (n > data_.size() - pos_)
            throw InputError("unexpected end of file");
    }

    [[nodiscard]] const unsigned char* bytesAt(std::size_t at) const noexcept
    {
        return reinterpret_cast<const unsigned char*>(data_.data()) + at;
    }

    std::string_view data_;
    std::size_t pos_ = 0;
};

// Reads a whole file into `out`. False when it cannot be opened or read.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& out);

// True when the file opens and its first magic.size() bytes equal `magic`.
// Every failure is false; no file stays open.
[[nodiscard]] bool FileStartsWith(const std::string& path, std::string_view magic);

// Reads at most `n` leading bytes of a file; false when it cannot be opened.
[[nodiscard]] bool ReadFilePrefix(const std::string& path, std::size_t n, std::string& out);

}  // namespace vaveze
