// The core's only access to files: a file is read once, whole, into a buffer
// of its size, and a file that cannot be read says precisely why. Standard
// C++ only, so the same code serves every platform build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

namespace vaveze {

enum class FileProblem : std::uint8_t {
    None,
    NotFound,        // no such file (or a folder of its path is missing)
    NoPermission,    // the system refused access
    IsFolder,
    NotRegularFile,  // a FIFO, device or socket: never opened, so never waited on
    Empty,           // read, but holds no byte
    TooLarge,        // no buffer of its size could be had
    ReadError,       // any other failure of the system; see the message
};

// Bytes read from a file, in a buffer of exactly their size.
class FileBytes {
public:
    FileBytes() = default;
    FileBytes(std::unique_ptr<char[]> data, std::size_t size) noexcept : data_(std::move(data)), size_(size) {}

    [[nodiscard]] std::string_view view() const noexcept { return {data_.get(), size_}; }
    [[nodiscard]] std::size_t size() const noexcept { return size_; }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
};

struct FileRead {
    FileProblem Problem = FileProblem::None;
    std::string SystemMessage;  // the system's own words for the problem, where it gave any
    FileBytes Bytes;            // empty unless Problem is None
};

// Reads at most `limit` leading bytes of a file. A file that changes size
// while it is read gives what was there when it was opened and read, never
// more.
[[nodiscard]] FileRead ReadFileBytes(const std::filesystem::path& path,
                                     std::size_t limit = std::numeric_limits<std::size_t>::max());

// "no such file", "is a folder", ...; the system's message, where given, is
// added after a colon.
[[nodiscard]] std::string DescribeFileProblem(FileProblem problem, std::string_view systemMessage = {});

}  // namespace vaveze
