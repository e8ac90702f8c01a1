// VAveze for Windows: lists every text of a Zv_cad drawing or symbol file in
// a window of the system's own controls.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <objbase.h>

#include <cwchar>

#include "core/session/pane.h"
#include "winapp/mainwindow.h"
#include "winapp/resource.h"
#include "winapp/startup.h"

namespace {

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

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    // DLLs loaded by name come from the system's folder alone, never from
    // the program's own folder or the current one, where a DLL planted
    // beside a program run from Downloads would be taken.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    using namespace vaveze::win;
    StartRequest request = ReadCommandLine();
    if (request.What != StartRequest::Kind::Window) {
        Answer(request.What);
        return 0;
    }

    // The shell's parts of the file dialogs want a single-threaded apartment.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // The pane's control, in every Windows since XP.
    if (::LoadLibraryW(L"Msftedit.dll") == nullptr)
        return 1;

    HWND window = CreateMainWindow(instance, PaneCharacterLimit(), show);
    if (window == nullptr)
        return 1;
    OpenAtStart(window, std::move(request.Files));

    HACCEL keys = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Ctrl+O and Ctrl+S, then Tab and Enter among the controls.
        if (::TranslateAcceleratorW(window, keys, &message) || ::IsDialogMessageW(window, &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return static_cast<int>(message.wParam);
}
