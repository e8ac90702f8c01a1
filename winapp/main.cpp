// VAveze for Windows: lists every text of a Zv_cad drawing or symbol file in
// a window of the system's own controls.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "core/session/pane.h"
#include "core/session/texts.h"
#include "core/window/startup.h"
#include "winapp/mainwindow.h"
#include "winapp/resource.h"
#include "winapp/wide.h"

namespace {

namespace fs = std::filesystem;
using vaveze::win::Wide;

// The most characters the pane takes. Tests lower it through
// VAVEZE_TEST_PANE_LIMIT, so that the pane fills up without millions of
// characters; nothing else reads that variable.
std::size_t PaneCharacterLimit()
{
    wchar_t value[32];
    const DWORD length = ::GetEnvironmentVariableW(L"VAVEZE_TEST_PANE_LIMIT", value, 32);
    if (length == 0 || length >= 32)
        return vaveze::kPaneCharacterLimit;
    wchar_t* end = nullptr;
    const unsigned long long limit = std::wcstoull(value, &end, 10);
    return *end == L'\0' && limit > 0 && limit < vaveze::kPaneCharacterLimit ? limit : vaveze::kPaneCharacterLimit;
}

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count); argv != nullptr) {
        for (int i = 1; i < count; ++i)
            arguments.push_back(vaveze::win::Utf8(argv[i]));
        ::LocalFree(argv);
    }
    return arguments;
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

fs::path ProgramFolder()
{
    std::wstring name(MAX_PATH, L'\0');
    while (name.size() <= 32768) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size())
            return fs::path(name.substr(0, length)).parent_path();
        name.resize(name.size() * 2);
    }
    return {};
}

bool IsWritable(const fs::path& folder)
{
    const fs::path probe = folder / (L"vaveze-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp");
    const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

fs::path DocumentsFolder()
{
    wchar_t* path = nullptr;
    fs::path folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)))
        folder = path;
    ::CoTaskMemFree(path);
    return folder;
}

fs::path FirstOpenFolder()
{
    const fs::path program = ProgramFolder();
    return vaveze::window::FirstOpenFolder({program, !program.empty() && IsWritable(program), DocumentsFolder()});
}

// The files named, made absolute against the folder the program starts in.
std::vector<std::wstring> FullPaths(const std::vector<std::string>& files)
{
    std::vector<std::wstring> paths;
    for (const std::string& file : files) {
        const std::wstring path = Wide(file);
        std::wstring full(::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
        const DWORD length = full.empty() ? 0 : ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        full.resize(length < full.size() ? length : 0);
        paths.push_back(full.empty() ? path : full);
    }
    return paths;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    // DLLs loaded by name come from the system's folder alone, never from
    // the program's own folder or the current one, where a DLL planted
    // beside a program run from Downloads would be taken.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    using vaveze::window::StartRequest;
    const StartRequest request = vaveze::window::ReadCommandLine(Arguments());
    if (request.What != StartRequest::Kind::Window) {
        const std::string answer = vaveze::window::StartAnswer(request.What);
        if (!WriteToStarter(answer))
            ::MessageBoxW(nullptr, Wide(answer).c_str(), Wide(vaveze::kApplicationTitle).c_str(), MB_OK | MB_ICONINFORMATION);
        return 0;
    }

    // The shell's parts of the file dialogs want a single-threaded apartment.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // The pane's control, in every Windows since XP.
    if (::LoadLibraryW(L"Msftedit.dll") == nullptr)
        return 1;

    HWND window = vaveze::win::CreateMainWindow(instance, {vaveze::window::FileAccess::Core, FirstOpenFolder(),
                                                           PaneCharacterLimit()}, show);
    if (window == nullptr)
        return 1;
    vaveze::win::OpenAtStart(window, FullPaths(request.Files));

    HACCEL keys = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The keys of the accelerator table, then Tab and Enter among the
        // controls.
        if (::TranslateAcceleratorW(window, keys, &message) || ::IsDialogMessageW(window, &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return static_cast<int>(message.wParam);
}
