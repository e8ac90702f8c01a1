// What the benchmark programs share: where the files are, loading them, and
// a sink that makes the bytes a saved listing holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/listing/listing.h"

namespace vaveze::bench {

// Takes "--files=FOLDER" out of the arguments (Google Benchmark refuses
// flags it does not know). Empty when it is not given.
[[nodiscard]] std::string TakeFolderArgument(int& argc, char** argv);

// The whole file; throws when it cannot be read.
[[nodiscard]] std::string LoadFile(const std::string& path);

// The listing's bytes as output streamed to a file or a pipe: each line and
// CR LF go into a buffer, which is handed on whenever it is full. Here it is
// handed to nobody; the bytes are made all the same.
class StreamedBytesSink final : public LineSink {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    StreamedBytesSink() { buffer_.reserve(kBufferSize); }

    void Clear() override
    {
        buffer_.clear();
        total_ = 0;
    }
    [[nodiscard]] bool Append(std::string_view line) override
    {
        if (buffer_.size() + line.size() + 2 > kBufferSize)
            HandOn();
        buffer_ += line;
        buffer_ += "\r\n";
        return true;
    }
    // Bytes of the listing so far.
    [[nodiscard]] std::size_t Total() const { return total_ + buffer_.size(); }

private:
    void HandOn();

    std::string buffer_;
    std::size_t total_ = 0;
};

// Gives every byte of memory the process has freed back to the system, so
// that the next pass gets fresh pages as a new run of the tool does.
void ReturnFreedMemory();

inline constexpr ListingOptions kEveryOption{true, true, true};

}  // namespace vaveze::bench
