#include "winapp/startup.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cwctype>

#include "core/session/texts.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

std::wstring FullPath(const std::wstring& path)
{
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

std::wstring WithSeparator(std::wstring folder)
{
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder;
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// Folders that Windows or an installer owns, where browsing for drawings
// makes no sense even for a user allowed to write there.
bool IsSystemFolder(const std::wstring& folder)
{
    const std::wstring lower = Lower(folder);
    for (const wchar_t* variable : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"SystemRoot"}) {
        wchar_t value[MAX_PATH];
        const DWORD length = ::GetEnvironmentVariableW(variable, value, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            continue;
        if (lower.starts_with(Lower(WithSeparator(value))))
            return true;
    }
    return false;
}

// A program run from the folder the build put it in.
bool IsBuildFolder(const std::wstring& folder)
{
    for (const wchar_t* cache : {L"CMakeCache.txt", L"..\\CMakeCache.txt"})
        if (::GetFileAttributesW((folder + cache).c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
    return false;
}

bool IsWritable(const std::wstring& folder)
{
    const std::wstring probe = folder + L"vaveze-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

std::wstring DocumentsFolder()
{
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)))
        folder = path;
    ::CoTaskMemFree(path);
    return WithSeparator(folder);
}

// Writes to where standard output leads when it was redirected to a file or
// a pipe, else to the console of the shell that started the program; false
// when there is neither (started from Explorer).
bool WriteToStarter(const std::string& utf8)
{
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const DWORD type = output == nullptr || output == INVALID_HANDLE_VALUE ? FILE_TYPE_UNKNOWN : ::GetFileType(output);
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
        DWORD written = 0;
        return ::WriteFile(output, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) != 0;
    }
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    const HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring text = Wide(utf8);
    DWORD written = 0;
    const BOOL done = ::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(console);
    return done != 0;
}

}  // namespace

StartRequest ReadCommandLine()
{
    StartRequest request;
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr)
        return request;
    bool options = true;
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = arguments[i];
        if (options && argument == L"--") {
            options = false;
        } else if (options && argument == L"--help") {
            request = {StartRequest::Kind::Help, {}};
            break;
        } else if (options && argument == L"--version") {
            request = {StartRequest::Kind::Version, {}};
            break;
        } else {
            request.Files.push_back(FullPath(argument));
        }
    }
    ::LocalFree(arguments);
    return request;
}

void Answer(StartRequest::Kind what)
{
    const std::string text = what == StartRequest::Kind::Help ? WindowUsage("vaveze")
                                                               : std::string("vaveze (VAveze) " VAVEZE_VERSION "\n");
    if (!WriteToStarter(text))
        ::MessageBoxW(nullptr, Wide(text).c_str(), Wide(kApplicationTitle).c_str(), MB_OK | MB_ICONINFORMATION);
}

std::wstring ProgramFolder()
{
    std::wstring name(MAX_PATH, L'\0');
    while (name.size() <= 32768) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            return name.substr(0, name.find_last_of(L"\\/") + 1);
        }
        name.resize(name.size() * 2);
    }
    return {};
}

std::wstring FirstOpenFolder()
{
    const std::wstring folder = ProgramFolder();
    if (!folder.empty() && !IsSystemFolder(folder) && !IsBuildFolder(folder) && IsWritable(folder))
        return folder;
    return DocumentsFolder();
}

}  // namespace vaveze::win
