#include "core/readers/InputStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vaveze {
namespace {

// Owns a read-only descriptor for the duration of one read.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    [[nodiscard]] bool isOpen() const noexcept { return fd_ >= 0; }
    [[nodiscard]] int fd() const noexcept { return fd_; }

    // Appends up to `limit` bytes to `out`; false on a read error.
    bool readInto(std::string& out, std::size_t limit)
    {
        char chunk[1 << 16];
        while (limit > 0) {
            const std::size_t want = limit < sizeof chunk ? limit : sizeof chunk;
            const ssize_t got = ::read(fd_, chunk, want);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            if (got == 0)
                return true;
            out.append(chunk, static_cast<std::size_t>(got));
            limit -= static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int fd_;
};

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& out)
{
    out.clear();
    ReadOnlyFile file(path);
    if (!file.isOpen())
        return false;
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        out.reserve(static_cast<std::size_t>(st.st_size));
    return file.readInto(out, static_cast<std::size_t>(-1));
}

bool ReadFilePrefix(const std::string& path, std::size_t n, std::string& out)
{
    out.clear();
    ReadOnlyFile file(path);
    if (!file.isOpen())
        return false;
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return file.readInto(out, n);
}

bool FileStartsWith(const std::string& path, std::string_view magic)
{
    std::string head;
    return ReadFilePrefix(path, magic.size(), head) && head == magic;
}

}  // namespace vaveze
