// Making and placing the window's child controls.
#pragma once

#include <windows.h>

#include <string>

namespace vaveze::win {

// A child control of `parent` in `font`, numbered `id`; shown or hidden.
HWND CreateControl(HWND parent, DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style, int id,
                   HFONT font, bool visible = true);
void MoveTo(HWND control, const RECT& place);

}  // namespace vaveze::win
