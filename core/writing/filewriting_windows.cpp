// Writing files on Windows, through the wide-character functions, so that
// Japanese names work whatever the system's code page.
#include "core/writing/filewriting.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include "core/text/widetext.h"

namespace vaveze {
namespace {

// A name for the temporary file that no other run picks at the same time.
std::wstring TempSuffix(unsigned attempt)
{
    static constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
    unsigned long long seed = ::GetTickCount64() * 0x9E3779B97F4A7C15ULL ^ ::GetCurrentProcessId() ^ attempt * 7919ULL;
    std::wstring suffix = L".";
    for (int i = 0; i < 6; ++i, seed /= 36)
        suffix += kDigits[seed % 36];
    return suffix;
}

// The last failure of this thread's writing, as the errno it was reported
// by and the system's error behind it, so that its words can be the
// system's: an errno alone would give the C runtime's English ones.
struct Failure {
    int Errno = 0;
    unsigned long System = 0;
};
thread_local Failure lastFailure;

// Records a failure of a C runtime call (whose system error is in
// _doserrno) and gives its errno back.
int FailedCall(int error)
{
    lastFailure = {error, _doserrno};
    return error;
}

// The same for a failure of a system call.
int FailedSystemCall(unsigned long systemError)
{
    const int error = ErrnoOfSystemError(systemError);
    lastFailure = {error, systemError};
    return error;
}

}  // namespace

int ErrnoOfSystemError(unsigned long error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
    case ERROR_PIPE_NOT_CONNECTED:
        return EPIPE;
    default:
        return EIO;
    }
}

int WriteAll(int fd, std::string_view bytes)
{
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    while (!bytes.empty()) {
        const unsigned size = static_cast<unsigned>(bytes.size() < kChunk ? bytes.size() : kChunk);
        const int n = _write(fd, bytes.data(), size);
        if (n < 0) {
            // A pipe whose reader has gone (Windows says ERROR_NO_DATA,
            // wine ERROR_PIPE_NOT_CONNECTED): the C runtime calls it EINVAL.
            if (ErrnoOfSystemError(_doserrno) == EPIPE)
                return FailedSystemCall(_doserrno);
            return FailedCall(errno != 0 ? errno : EIO);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

PendingFile::PendingFile(const std::filesystem::path& target) : target_(target)
{
    error_ = EEXIST;
    for (unsigned attempt = 0; attempt < 100 && error_ == EEXIST; ++attempt) {
        std::filesystem::path temp = target_;
        temp += TempSuffix(attempt);
        fd_ = _wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
        if (fd_ >= 0) {
            temp_ = std::move(temp);
            error_ = 0;
        } else {
            error_ = FailedCall(errno);
        }
    }
}

PendingFile::~PendingFile()
{
    if (fd_ >= 0)
        _close(fd_);
    if (!temp_.empty() && !committed_)
        _wunlink(temp_.c_str());
}

int PendingFile::FlushToDisk() { return _commit(fd_) != 0 ? FailedCall(errno) : 0; }

int PendingFile::Commit()
{
    int error = _close(fd_) != 0 ? FailedCall(errno) : 0;
    fd_ = -1;
    // Unlike rename, this replaces an existing file.
    if (error == 0 && !::MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = FailedSystemCall(::GetLastError());
    committed_ = error == 0;
    return error;
}

std::string WritingErrorText(int error)
{
    if (error != 0 && error == lastFailure.Errno && lastFailure.System != 0)
        return SystemErrorText(lastFailure.System);
    return std::generic_category().message(error);
}

}  // namespace vaveze
