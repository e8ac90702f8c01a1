// The core's only writing of files: bytes to a descriptor, and a listing
// saved so that it replaces the file before it only once complete. The
// system calls live in filewriting_posix.cpp and filewriting_windows.cpp.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vaveze {

// Writes all of `bytes` to a descriptor; 0, or the errno of the failure.
[[nodiscard]] int WriteAll(int fd, std::string_view bytes);

#ifdef _WIN32
// The errno closest to a Windows error (a DWORD), so messages read as on
// Linux.
[[nodiscard]] int ErrnoOfSystemError(unsigned long error);
#endif

// A new file beside `target` that replaces it only once complete, so a
// failed write never destroys an existing file and never leaves a partial
// one. Removed unless committed. One that replaces a file is private while
// it is written, then takes that file's mode; a new one gets the mode any
// new file gets.
class PendingFile {
public:
    explicit PendingFile(const std::filesystem::path& target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // The descriptor to write to, or -1 when the file could not be made.
    [[nodiscard]] int Descriptor() const noexcept { return fd_; }
    // The errno of a failed creation, else 0.
    [[nodiscard]] int Error() const noexcept { return error_; }

    // Has what was written reach the disk before the file takes the
    // target's place, so that a failure of power just after cannot leave the
    // target empty; 0, or the errno of the failure.
    [[nodiscard]] int FlushToDisk();

    // Closes the file, gives it the mode of the target it replaces (or that
    // of an ordinary new file) and puts it in the target's place; 0, or the
    // errno of the failure.
    [[nodiscard]] int Commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
    int error_ = 0;
    bool committed_ = false;
};

enum class Durability : unsigned char {
    Ordinary,  // left to the system, as any program's files
    OnDisk,    // on the disk before it replaces the target
};

// Saves at `target` what `fill` writes with the writer it is given (bytes
// in, 0 or an errno out): in a PendingFile that replaces the target once
// complete. `fill` gives 0, or the errno of the write that failed. 0, or
// the errno of the first failure.
template <typename Fill>
[[nodiscard]] int SaveThrough(const std::filesystem::path& target, Fill&& fill,
                              Durability durability = Durability::Ordinary)
{
    PendingFile file(target);
    int error = file.Error();
    if (error == 0)
        error = fill([fd = file.Descriptor()](std::string_view bytes) { return WriteAll(fd, bytes); });
    if (error == 0 && durability == Durability::OnDisk)
        error = file.FlushToDisk();
    if (error == 0)
        error = file.Commit();
    return error;
}

// Saves `bytes` at `target` as a window saves what the user chose to: on
// the disk before it replaces the target. 0, or the errno of the failure.
[[nodiscard]] inline int SaveBytes(const std::filesystem::path& target, std::string_view bytes)
{
    return SaveThrough(target, [bytes](const auto& write) { return write(bytes); }, Durability::OnDisk);
}

// The words a user is shown for `error`, an errno that the writing above
// returned: on Windows the system's own for the failure behind it, in the
// language of the user's Windows; elsewhere (or for an errno of another
// origin) the C library's.
[[nodiscard]] std::string WritingErrorText(int error);

}  // namespace vaveze
