// Writing files on Linux and other POSIX systems (and under emscripten).
#include "core/writing/filewriting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <system_error>

namespace vaveze {
namespace {

// A name no other save picks at the same time: the target's, a dot and six
// characters, as mkstemp makes them. Made here rather than by mkstemp, so
// that a new file gets its mode from the system's file creation mask
// without the mask being read (reading it means changing it for a moment,
// which a library must not do to the threads of its host program).
std::string TempName(const std::filesystem::path& target, unsigned attempt)
{
    static std::atomic<std::uint64_t> counter{0};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                         (static_cast<std::uint64_t>(::getpid()) << 32) ^ (counter++ * 0x9E3779B97F4A7C15ULL) ^ attempt;
    // splitmix64's finaliser spreads every input bit over the name.
    seed = (seed ^ (seed >> 30)) * 0xBF58476D1CE4E5B9ULL;
    seed = (seed ^ (seed >> 27)) * 0x94D049BB133111EBULL;
    seed ^= seed >> 31;
    std::string name = target.native() + '.';
    for (int i = 0; i < 6; ++i, seed /= 62)
        name += kDigits[seed % 62];
    return name;
}

}  // namespace

int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno != 0 ? errno : EIO;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

PendingFile::PendingFile(const std::filesystem::path& target) : target_(target)
{
    // Replacing a file: private until it takes that file's mode. A new
    // file: the mode the system gives any new file (0666 less the mask).
    struct stat existing {};
    const mode_t mode = ::stat(target_.c_str(), &existing) == 0 ? 0600 : 0666;
    error_ = EEXIST;
    for (unsigned attempt = 0; attempt < 100 && error_ == EEXIST; ++attempt) {
        std::string temp = TempName(target_, attempt);
        fd_ = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            temp_ = std::move(temp);
            error_ = 0;
        } else {
            error_ = errno;
        }
    }
}

PendingFile::~PendingFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temp_.empty() && !committed_)
        ::unlink(temp_.c_str());
}

int PendingFile::FlushToDisk()
{
    while (::fsync(fd_) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

int PendingFile::Commit()
{
    struct stat existing {};
    int error = 0;
    if (::stat(target_.c_str(), &existing) == 0 && ::fchmod(fd_, existing.st_mode & 07777) != 0)
        error = errno;
    if (::close(fd_) != 0 && error == 0)
        error = errno;
    fd_ = -1;
    if (error == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0)
        error = errno;
    committed_ = error == 0;
    return error;
}

std::string WritingErrorText(int error) { return std::generic_category().message(error); }

}  // namespace vaveze
