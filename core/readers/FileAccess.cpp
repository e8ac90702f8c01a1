#include "core/readers/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <new>
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

// The error of the last failed call of the C library underneath the stream.
std::error_code LastSystemError(int fallback)
{
    return {errno != 0 ? errno : fallback, std::generic_category()};
}

}  // namespace

FileRead ReadFileBytes(const fs::path& path, std::size_t limit)
{
    // The kind of file is settled before it is opened: opening a FIFO for
    // reading would wait for a writer, and a device may never end.
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        return Failed(FileProblem::NotFound);
    if (error)
        return FailedWith(error);
    if (status.type() == fs::file_type::directory)
        return Failed(FileProblem::IsFolder);
    if (status.type() != fs::file_type::regular)
        return Failed(FileProblem::NotRegularFile);

    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open())
        return FailedWith(LastSystemError(EACCES));

    // The size of the file as opened; it bounds the read, so bytes appended
    // meanwhile are not taken.
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    file.seekg(0, std::ios::beg);
    if (end < 0 || !file)
        return FailedWith(LastSystemError(EIO));
    if (end == 0)
        return Failed(FileProblem::Empty);
    const auto fileSize = static_cast<std::uintmax_t>(end);
    if (fileSize > std::numeric_limits<std::size_t>::max())
        return Failed(FileProblem::TooLarge);
    const std::size_t want = std::min(static_cast<std::size_t>(fileSize), limit);

    std::unique_ptr<char[]> buffer;
    try {
        // Default-initialised, not zero-filled: every byte is read over.
        // (make_unique_for_overwrite is missing from some standard libraries.)
        buffer.reset(new char[want]);
    } catch (const std::bad_alloc&) {
        return Failed(FileProblem::TooLarge);
    }
    errno = 0;
    file.read(buffer.get(), static_cast<std::streamsize>(want));
    if (file.bad())
        return FailedWith(LastSystemError(EIO));
    // A file that shrank meanwhile gives the bytes that were there.
    const auto got = static_cast<std::size_t>(file.gcount());
    if (got == 0)
        return Failed(FileProblem::Empty);
    FileRead out;
    out.Bytes = FileBytes(std::move(buffer), got);
    return out;
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
