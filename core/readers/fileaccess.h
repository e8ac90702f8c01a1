// The core's only access to files: a file is read once, whole into a buffer
// of its size or a window at a time as a parse moves on, and a file that
// cannot be read says precisely why. The C library's streams, which every
// platform build has and which read a large request straight into place
// (the WebAssembly build's C++ streams would pass it through their own
// buffer, a call into the system for every 4 KiB); only opening a file and
// asking its size differ on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "core/readers/pagememory.h"
#include "core/readers/windowedinput.h"

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

private:
    PageBuffer buffer_;
    std::size_t size_ = 0;  // bytes read: at most the buffer's size
};

struct FileRead {
    FileProblem Problem = FileProblem::None;
    std::string SystemMessage;  // the system's own words for the problem, where it gave any
    FileBytes Bytes;            // empty unless Problem is None
};

// A regular file opened for reading, with its size as opened (at most the
// limit it was opened with); or why it cannot be read.
struct OpenedFile {
    struct Closer {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };

    FileProblem Problem = FileProblem::None;
    std::string SystemMessage;
    std::unique_ptr<std::FILE, Closer> Stream;
    std::size_t Size = 0;
};

[[nodiscard]] OpenedFile OpenRegularFile(const std::filesystem::path& path,
                                         std::size_t limit = std::numeric_limits<std::size_t>::max());

// A file read a window at a time as a parse asks for its bytes (see
// WindowedInput).
class FileWindow {
public:
    // Opens the file and reads its first window.
    explicit FileWindow(const std::filesystem::path& path);
    FileWindow(const FileWindow&) = delete;
    FileWindow& operator=(const FileWindow&) = delete;

    // None while the file reads well; otherwise why it could not be read,
    // including a failure of the system while it was read (which ended the
    // input there).
    [[nodiscard]] FileProblem Problem() const noexcept { return file_.Problem; }
    [[nodiscard]] const std::string& SystemMessage() const noexcept { return file_.SystemMessage; }

    // The first bytes, for telling the format.
    [[nodiscard]] std::string_view First(std::size_t n) { return input_.First(n); }
    // A cursor that reads the file a window at a time.
    [[nodiscard]] InputStream Cursor() { return input_.Cursor(); }

private:
    static std::size_t ReadSome(void* self, char* into, std::size_t most);

    OpenedFile file_;
    WindowedInput input_;
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
