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

#include "core/readers/PageMemory.h"

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

// Bytes read from a file, in a buffer of the file's size.
class FileBytes {
public:
    FileBytes() = default;
    FileBytes(PageBuffer buffer, std::size_t size) noexcept : buffer_(std::move(buffer)), size_(size) {}

    [[nodiscard]] std::string_view view() const noexcept { return {buffer_.data(), size_}; }
    [[nodiscard]] std::size_t size() const noexcept { return size_; }

    // A parse that copies what it keeps gives back the memory of the bytes
    // before `offset` as it passes them, where the system lets it: nothing
    // may read them afterwards.
    void GiveBackBefore(std::size_t offset) noexcept { givenBack_ = GiveBackPages(buffer_, givenBack_, offset); }

private:
    PageBuffer buffer_;
    std::size_t size_ = 0;  // bytes read: at most the buffer's size
    std::size_t givenBack_ = 0;
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
