#include "core/readers/fileaccess.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>
#include <system_error>

namespace vaveze {
namespace {

namespace fs = std::filesystem;

FileRead Failed(FileProblem problem, std::string message = {})
{
    FileRead out;
    out.Problem = problem;
    out.SystemMessage = std::move(message);
    return out;
}

FileRead FailedWith(const std::error_code& error)
{
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
        return Failed(FileProblem::NotFound);
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return Failed(FileProblem::NoPermission);
    return Failed(FileProblem::ReadError, error.message());
}

std::FILE* OpenForReading(const fs::path& path)
{
#ifdef _WIN32
    return ::_wfopen(path.c_str(), L"rb");  // wide, so that any name opens whatever the code page
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

// The size of an open file.
std::optional<std::uint64_t> SizeOf(std::FILE* file)
{
#ifdef _WIN32
    struct _stat64 status {};
    if (::_fstat64(::_fileno(file), &status) != 0)
        return std::nullopt;
#else
    struct stat status {};
    if (::fstat(::fileno(file), &status) != 0)
        return std::nullopt;
#endif
    return static_cast<std::uint64_t>(status.st_size);
}

// Reads up to `most` bytes into `into`: how many; false when the system
// failed (errno says why).
bool ReadInto(std::FILE* file, char* into, std::size_t most, std::size_t& got)
{
    errno = 0;
    got = std::fread(into, 1, most, file);
    return got == most || std::ferror(file) == 0;
}

// The error of the last failed call of the C library underneath the stream.
std::error_code LastSystemError(int fallback)
{
    return {errno != 0 ? errno : fallback, std::generic_category()};
}

OpenedFile Opened(const FileRead& failed)
{
    OpenedFile out;
    out.Problem = failed.Problem;
    out.SystemMessage = failed.SystemMessage;
    return out;
}

}  // namespace

OpenedFile OpenRegularFile(const fs::path& path, std::size_t limit)
{
    // The kind of file is settled before it is opened: opening a FIFO for
    // reading would wait for a writer, and a device may never end.
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        return Opened(Failed(FileProblem::NotFound));
    if (error)
        return Opened(FailedWith(error));
    if (status.type() == fs::file_type::directory)
        return Opened(Failed(FileProblem::IsFolder));
    if (status.type() != fs::file_type::regular)
        return Opened(Failed(FileProblem::NotRegularFile));

    OpenedFile out;
    errno = 0;
    out.Stream.reset(OpenForReading(path));
    if (!out.Stream)
        return Opened(FailedWith(LastSystemError(EACCES)));
    // Every read is of a whole window or file, straight into place: the
    // stream's own buffer would only split each into two system calls.
    std::setvbuf(out.Stream.get(), nullptr, _IONBF, 0);

    // The size of the file as opened; it bounds the read, so bytes appended
    // meanwhile are not taken.
    errno = 0;
    const std::optional<std::uint64_t> fileSize = SizeOf(out.Stream.get());
    if (!fileSize)
        return Opened(FailedWith(LastSystemError(EIO)));
    if (*fileSize == 0)
        return Opened(Failed(FileProblem::Empty));
    if (*fileSize > std::numeric_limits<std::size_t>::max())
        return Opened(Failed(FileProblem::TooLarge));
    out.Size = std::min(static_cast<std::size_t>(*fileSize), limit);
    return out;
}

FileRead ReadFileBytes(const fs::path& path, std::size_t limit)
{
    OpenedFile file = OpenRegularFile(path, limit);
    if (file.Problem != FileProblem::None)
        return Failed(file.Problem, std::move(file.SystemMessage));

    PageBuffer buffer;
    try {
        // Not cleared: every byte is read over, in one read.
        buffer = PageBuffer(file.Size);
    } catch (const std::bad_alloc&) {
        return Failed(FileProblem::TooLarge);
    }
    std::size_t got = 0;
    if (!ReadInto(file.Stream.get(), buffer.data(), file.Size, got))
        return FailedWith(LastSystemError(EIO));
    // A file that shrank meanwhile gives the bytes that were there.
    if (got == 0)
        return Failed(FileProblem::Empty);
    FileRead out;
    out.Bytes = FileBytes(std::move(buffer), got);
    return out;
}

FileWindow::FileWindow(const fs::path& path)
    : file_(OpenRegularFile(path)), input_(file_.Size, kWindowBytes, &FileWindow::ReadSome, this)
{
    if (file_.Problem != FileProblem::None)
        return;
    const bool noByte = input_.First(1).empty();
    if (noByte && file_.Problem == FileProblem::None)
        file_.Problem = FileProblem::Empty;  // there when opened, but it gave no byte
}

std::size_t FileWindow::ReadSome(void* self, char* into, std::size_t most)
{
    OpenedFile& file = static_cast<FileWindow*>(self)->file_;
    if (file.Problem != FileProblem::None)
        return 0;
    std::size_t got = 0;
    if (!ReadInto(file.Stream.get(), into, most, got)) {
        const FileRead failed = FailedWith(LastSystemError(EIO));
        file.Problem = failed.Problem;
        file.SystemMessage = failed.SystemMessage;
        return 0;
    }
    return got;
}

std::string DescribeFileProblem(FileProblem problem, std::string_view systemMessage)
{
    std::string text;
    switch (problem) {
    case FileProblem::None:
        return {};
    case FileProblem::NotFound:
        text = "no such file";
        break;
    case FileProblem::NoPermission:
        text = "no permission to read it";
        break;
    case FileProblem::IsFolder:
        text = "a folder, not a file";
        break;
    case FileProblem::NotRegularFile:
        text = "not a regular file (a device, FIFO or socket), so it is not read";
        break;
    case FileProblem::Empty:
        text = "the file is empty";
        break;
    case FileProblem::TooLarge:
        text = "the file is too large to be read into memory";
        break;
    case FileProblem::ReadError:
        text = "the file could not be read";
        break;
    }
    if (!systemMessage.empty()) {
        text += ": ";
        text += systemMessage;
    }
    return text;
}

}  // namespace vaveze
