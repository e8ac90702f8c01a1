#include "winapp/composition.h"

#include <commctrl.h>
#include <windowsx.h>

namespace vaveze::win {
namespace {

constexpr wchar_t kComposing[] = L"VAvezeComposing";

LRESULT CALLBACK CompositionProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    switch (message) {
    case WM_IME_STARTCOMPOSITION:
        ::SetPropW(edit, kComposing, reinterpret_cast<HANDLE>(1));
        break;
    case WM_IME_ENDCOMPOSITION: {
        // The committed text is in (or the composition was given up): the
        // field's owner hears of it as of any other change.
        const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
        ::RemovePropW(edit, kComposing);
        FORWARD_WM_COMMAND(::GetParent(edit), ::GetDlgCtrlID(edit), edit, EN_CHANGE, ::SendMessageW);
        return result;
    }
    case WM_NCDESTROY:
        ::RemovePropW(edit, kComposing);
        ::RemoveWindowSubclass(edit, CompositionProc, id);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void WatchComposition(HWND edit) { ::SetWindowSubclass(edit, CompositionProc, 0, 0); }

bool IsComposing(HWND edit) { return ::GetPropW(edit, kComposing) != nullptr; }

}  // namespace vaveze::win
