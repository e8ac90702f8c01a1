// Making and placing the window's child controls.
#include "winapp/controls.h"

namespace vaveze::win {

HWND CreateControl(HWND parent, DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style, int id,
                   HFONT font, bool visible)
{
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND control = ::CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | (visible ? WS_VISIBLE : 0) | style,
                                     0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                     nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void MoveTo(HWND control, const RECT& place)
{
    ::MoveWindow(control, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

}  // namespace vaveze::win
