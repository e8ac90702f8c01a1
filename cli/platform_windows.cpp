// The tool's system calls on Windows. Every name goes through the wide
// character functions, so Japanese file and folder names work whatever the
// system's code page; messages reach a console as wide characters.
#include "cli/platform.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "cli/outputroute.h"
#include "core/text/widetext.h"
#include "core/writing/filewriting.h"

namespace vaveze::platform {
namespace {

// Before main and any DLL loaded by name: DLLs come from the system's folder
// alone, never from the program's own folder or the current one, where a
// DLL planted beside a program run from Downloads would be taken.
[[maybe_unused]] const bool kSystemLibrariesOnly = ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;

// The files a wildcard argument names, in the order of their names, for
// `vaveze-list --save *.zvw`: the Windows shells leave wildcards to the
// program. An argument without a wildcard or a match stays as it is, so it
// gets its own "no such file".
void AddMatches(const std::wstring& arg, std::vector<std::string>& args)
{
    std::vector<std::string> matches;
    if (arg.find_first_of(L"*?") != std::wstring::npos && arg.front() != L'-') {
        const std::wstring::size_type slash = arg.find_last_of(L"\\/:");
        const std::wstring folder = slash == std::wstring::npos ? std::wstring() : arg.substr(0, slash + 1);
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileExW(arg.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                    matches.push_back(Narrow(folder + found.cFileName));
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
    }
    if (matches.empty()) {
        args.push_back(Narrow(arg));
        return;
    }
    std::sort(matches.begin(), matches.end());
    args.insert(args.end(), matches.begin(), matches.end());
}

StreamKind KindOf(HANDLE handle)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return StreamKind::Other;  // no stream at all (started detached)
    DWORD mode = 0;
    switch (::GetFileType(handle)) {
    case FILE_TYPE_CHAR:
        // A console, or a device such as NUL, which takes bytes.
        return ::GetConsoleMode(handle, &mode) != 0 ? StreamKind::Console : StreamKind::Other;
    case FILE_TYPE_PIPE:
        return StreamKind::Pipe;
    case FILE_TYPE_DISK:
        return StreamKind::File;
    default:
        return StreamKind::Other;
    }
}

// Decided once, before anything is written.
cli::OutputRoute Route()
{
    static const cli::OutputRoute route = [] {
        DWORD processes[2];
        const DWORD count = ::GetConsoleProcessList(processes, 2);
        return cli::RouteOutput(KindOf(::GetStdHandle(STD_OUTPUT_HANDLE)), count);
    }();
    return route;
}

// Writes UTF-8 to a console as wide characters. A sequence cut at the end of
// one call is finished by the next, so callers may cut the text anywhere.
class ConsoleWriter {
public:
    explicit ConsoleWriter(HANDLE console) : console_(console) {}

    [[nodiscard]] int Write(std::string_view utf8)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::string text = std::move(pending_);
        pending_.clear();
        text.append(utf8);
        const std::size_t whole = WholeSequences(text);
        pending_ = text.substr(whole);
        const std::wstring wide = Widen(std::string_view(text).substr(0, whole));
        // Older consoles refuse very long writes; a few thousand characters
        // at a time go through everywhere.
        constexpr std::size_t kPiece = 8192;
        for (std::size_t at = 0; at < wide.size(); at += kPiece) {
            const DWORD size = static_cast<DWORD>(std::min(kPiece, wide.size() - at));
            DWORD written = 0;
            if (!::WriteConsoleW(console_, wide.data() + at, size, &written, nullptr))
                return ErrnoOfSystemError(::GetLastError());
        }
        return 0;
    }

private:
    // The length of `text` up to an incomplete UTF-8 sequence at its end.
    static std::size_t WholeSequences(std::string_view text)
    {
        // The lead byte of the last sequence is at most three bytes back.
        for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
            const auto c = static_cast<unsigned char>(text[text.size() - back]);
            if ((c & 0xC0) == 0x80)
                continue;
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            return length > back ? text.size() - back : text.size();
        }
        return text.size();
    }

    HANDLE console_;
    std::mutex mutex_;
    std::string pending_;
};

ConsoleWriter& OutputConsole()
{
    static ConsoleWriter writer(::GetStdHandle(STD_OUTPUT_HANDLE));
    return writer;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr)  // out of memory: the narrow arguments are better than none
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        AddMatches(wide[i], args);
    ::LocalFree(wide);
    return args;
}

void UseBinaryStandardStreams()
{
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

std::string UserLanguages()
{
    if (const wchar_t* language = ::_wgetenv(L"LANGUAGE"); language != nullptr && *language != L'\0')
        return Narrow(language);
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE ? "ja" : "";
}

// A console, not merely a character device (_isatty is also true of NUL).
bool IsTerminal(Stream stream)
{
    const HANDLE handle = ::GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

StreamKind StreamKindOf(Stream stream)
{
    return KindOf(::GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE));
}

std::filesystem::path PathFromUtf8(std::string_view utf8) { return std::filesystem::path(Widen(utf8)); }

int WriteAll(int fd, std::string_view bytes)
{
    if (fd == _fileno(stdout) && Route() == cli::OutputRoute::Characters)
        return OutputConsole().Write(bytes);
    return vaveze::WriteAll(fd, bytes);
}

int ReadStandardInput(std::string& bytes, std::size_t most)
{
    // Binary, so that CR LF and Ctrl+Z reach the parse as they are.
    _setmode(_fileno(stdin), _O_BINARY);
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    while (bytes.size() < most) {
        const std::size_t had = bytes.size();
        bytes.resize(had + std::min(kChunk, most - had));
        const int n = _read(_fileno(stdin), bytes.data() + had, static_cast<unsigned>(bytes.size() - had));
        bytes.resize(had + static_cast<std::size_t>(n > 0 ? n : 0));
        if (n == 0)
            break;
        if (n < 0)
            return errno != 0 ? errno : EIO;
    }
    return 0;
}

void WriteMessage(std::string_view utf8)
{
    const HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
        const std::wstring wide = Widen(utf8);
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    (void)WriteAll(_fileno(stderr), utf8);
}

void WriteText(std::string_view utf8) { (void)WriteAll(_fileno(stdout), utf8); }

bool StartedWithoutConsole()
{
    if (Route() != cli::OutputRoute::NoConsole)
        return false;
    // The console window closes at once instead of standing empty behind
    // the box.
    ::FreeConsole();
    return true;
}

void ShowNotice(std::string_view utf8)
{
    ::MessageBoxW(nullptr, Widen(utf8).c_str(), L"vaveze-list", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

}  // namespace vaveze::platform
