// The listing pane: the rich edit control, its text, and the fill's pieces.
#include "winapp/pane.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <algorithm>

#include "winapp/resource.h"

namespace vaveze::win {
namespace {

// The undo history the pane keeps once a fill is done (the control's own
// default).
constexpr WPARAM kUndoSteps = 100;

// Tab leaves the pane as it leaves every other control, and entering it
// does not select what may be millions of characters. While a fill runs
// (the pane is read-only only then) the pane shows that the window is busy.
LRESULT CALLBACK PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = ::DefSubclassProc(pane, message, wParam, lParam) & ~(DLGC_WANTTAB | DLGC_HASSETSEL);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_TAB)
            code &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
        return code;
    }
    case WM_SETCURSOR:
        if ((::GetWindowLongPtrW(pane, GWL_STYLE) & ES_READONLY) != 0 && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(pane, PaneProc, id);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(pane, message, wParam, lParam);
}

}  // namespace

HWND CreatePane(HWND parent, HFONT font, std::size_t characterLimit)
{
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND pane = ::CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                      ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL |
                                      ES_DISABLENOSCROLL,
                                  0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PANE)),
                                  instance, nullptr);
    if (pane == nullptr)
        return nullptr;
    // Plain text in the window's font, as many characters as the listing
    // may have, and no word wrap: a line of the listing is a line on screen.
    ::SendMessageW(pane, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    ::SendMessageW(pane, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(pane, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(characterLimit));
    ::SendMessageW(pane, EM_SETTARGETDEVICE, 0, 1);
    // Files dropped on the pane are opened as anywhere else on the window;
    // the window hears of each change, to tell the flow of the user's edits.
    ::SendMessageW(pane, EM_SETEVENTMASK, 0, ENM_DROPFILES | ENM_CHANGE);
    ::DragAcceptFiles(pane, TRUE);
    ::SetWindowSubclass(pane, PaneProc, 0, 0);
    return pane;
}

std::u16string PaneText(HWND pane)
{
    GETTEXTLENGTHEX lengthOf{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const auto length = static_cast<std::size_t>(
        std::max<LRESULT>(::SendMessageW(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf), 0), 0));
    std::u16string text(length + 1, u'\0');
    GETTEXTEX get{};
    get.cb = static_cast<DWORD>((length + 1) * sizeof(char16_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;
    const LRESULT got = ::SendMessageW(pane, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(length))));
    for (char16_t& c : text)
        if (c == u'\r' || c == u'\v')
            c = u'\n';
    return text;
}

std::u16string SelectedText(HWND pane, std::size_t longest)
{
    CHARRANGE selection{};
    ::SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const auto length = static_cast<std::size_t>(std::max<LONG>(selection.cpMax - selection.cpMin, 0));
    if (length == 0 || length > longest)
        return {};
    std::u16string text(length + 1, u'\0');
    text.resize(static_cast<std::size_t>(::SendMessageW(pane, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void StartFill(HWND pane)
{
    // No history: the listing cannot be undone, and keeping it would cost.
    ::SendMessageW(pane, EM_SETUNDOLIMIT, 0, 0);
    ::SendMessageW(pane, EM_SETREADONLY, TRUE, 0);
    ::SetWindowTextW(pane, L"");
}

void AppendPiece(HWND pane, std::size_t at, std::u16string_view piece)
{
    // The pane ends a line with CR.
    std::wstring text(piece.begin(), piece.end());
    std::replace(text.begin(), text.end(), L'\n', L'\r');
    CHARRANGE selection{};
    POINT scrolled{};
    ::SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    ::SendMessageW(pane, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    ::SendMessageW(pane, WM_SETREDRAW, FALSE, 0);
    CHARRANGE end{static_cast<LONG>(at), static_cast<LONG>(at)};
    ::SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    ::SendMessageW(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    ::SendMessageW(pane, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    ::SendMessageW(pane, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(pane, nullptr, TRUE);
}

void FinishFill(HWND pane)
{
    ::SendMessageW(pane, EM_SETREADONLY, FALSE, 0);
    ::SendMessageW(pane, EM_SETUNDOLIMIT, kUndoSteps, 0);
    ::SendMessageW(pane, EM_EMPTYUNDOBUFFER, 0, 0);
    ::SendMessageW(pane, EM_SETMODIFY, FALSE, 0);
}

}  // namespace vaveze::win
