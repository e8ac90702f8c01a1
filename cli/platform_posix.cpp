// The tool's system calls on Linux and other POSIX systems, and under Node
// (the WebAssembly build), where platform_node.cpp adds what Node must be
// asked for itself.
#include "cli/platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace vaveze::platform {
namespace {

// Read once, before main: files are saved from several threads, and the
// mask's brief change to read it must not meet another thread's creation.
const mode_t kUmask = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}();

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseBinaryStandardStreams() {}

std::string UserLanguages()
{
    // As gettext reads them: the locale of messages, then the list of
    // languages, which a locale of C or POSIX overrules.
    std::string_view locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    }
    if (locale.empty() || locale == "C" || locale == "POSIX")
        return std::string(locale);
    const char* languages = std::getenv("LANGUAGE");
    return languages != nullptr && *languages != '\0' ? std::string(languages) : std::string(locale);
}

// Under Node the runtime answers isatty with true for every stream, and
// fstat knows nothing of the standard streams: platform_node.cpp asks Node.
#ifndef __EMSCRIPTEN__
bool IsTerminal(Stream stream) { return ::isatty(stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1; }

StreamKind StreamKindOf(Stream stream)
{
    if (IsTerminal(stream))
        return StreamKind::Terminal;
    struct stat status {};
    if (::fstat(stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO, &status) != 0)
        return StreamKind::Other;
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode))
        return StreamKind::Pipe;
    return S_ISREG(status.st_mode) ? StreamKind::File : StreamKind::Other;
}
#endif

std::filesystem::path PathFromUtf8(std::string_view utf8) { return std::filesystem::path(utf8); }

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

void WriteMessage(std::string_view utf8) { (void)WriteAll(STDERR_FILENO, utf8); }

void WriteText(std::string_view utf8) { (void)WriteAll(STDOUT_FILENO, utf8); }

bool StartedWithoutConsole() { return false; }

void ShowNotice(std::string_view utf8) { WriteMessage(std::string(utf8) + '\n'); }

PendingFile::PendingFile(const std::string& target) : target_(target)
{
    std::string temp = target + ".XXXXXX";
    fd_ = ::mkstemp(temp.data());
    if (fd_ < 0)
        error_ = errno;
    else
        temp_ = temp;
}

PendingFile::~PendingFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temp_.empty() && !committed_)
        ::unlink(temp_.c_str());
}

int PendingFile::Commit()
{
    // mkstemp creates the file private; give it the mode an ordinary new
    // file gets, or keep the mode of the file it replaces.
    struct stat existing {};
    const mode_t mode =
        ::stat(target_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : (0666 & ~kUmask);
    int error = ::fchmod(fd_, mode) != 0 ? errno : 0;
    if (::close(fd_) != 0 && error == 0)
        error = errno;
    fd_ = -1;
    if (error == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0)
        error = errno;
    committed_ = error == 0;
    return error;
}

}  // namespace vaveze::platform
