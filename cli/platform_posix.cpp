// The tool's system calls on Linux and other POSIX systems, and under Node
// (the WebAssembly build), where platform_node.cpp adds what Node must be
// asked for itself.
#include "cli/platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "core/writing/filewriting.h"

namespace vaveze::platform {

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

int WriteAll(int fd, std::string_view bytes) { return vaveze::WriteAll(fd, bytes); }

int ReadStandardInput(std::string& bytes, std::size_t most)
{
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    while (bytes.size() < most) {
        const std::size_t had = bytes.size();
        bytes.resize(had + std::min(kChunk, most - had));
        const ssize_t n = ::read(STDIN_FILENO, bytes.data() + had, bytes.size() - had);
        bytes.resize(had + static_cast<std::size_t>(n > 0 ? n : 0));
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            return errno != 0 ? errno : EIO;
    }
    return 0;
}

void WriteMessage(std::string_view utf8) { (void)WriteAll(STDERR_FILENO, utf8); }

void WriteText(std::string_view utf8) { (void)WriteAll(STDOUT_FILENO, utf8); }

bool StartedWithoutConsole() { return false; }

void ShowNotice(std::string_view utf8) { WriteMessage(std::string(utf8) + '\n'); }

}  // namespace vaveze::platform
