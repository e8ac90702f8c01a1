// The status line under the pane: one line, its whole text in a tooltip.
#include "winapp/statusline.h"

#include <commctrl.h>

#include <algorithm>

#include "winapp/wide.h"

namespace vaveze::win {
namespace {

// Wide enough for the longest status text in a few lines.
constexpr int kTipWidth = 640;

TOOLINFOW ToolOf(HWND line)
{
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(line);
    tool.uId = reinterpret_cast<UINT_PTR>(line);
    return tool;
}

}  // namespace

StatusLine::StatusLine(HWND parent, int id, HFONT font, int lineHeight)
{
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    // SS_NOTIFY: the tooltip sees the mouse over it.
    line_ = ::CreateWindowExW(WS_EX_STATICEDGE, L"STATIC", L"",
                              WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS | SS_NOPREFIX | SS_NOTIFY |
                                  SS_CENTERIMAGE,
                              0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(line_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The static edge and a pixel above and below the text.
    height_ = lineHeight + 2 * (1 + 1);

    tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance,
                             nullptr);
    TOOLINFOW tool = ToolOf(line_);
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // A width makes the tooltip break lines, and keep the text's own breaks.
    ::SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    ::SendMessageW(tip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void StatusLine::SetText(std::string_view utf8)
{
    text_ = Wide(utf8);
    // A line break would hide what follows it; the tooltip keeps them.
    std::wstring oneLine = text_;
    std::replace(oneLine.begin(), oneLine.end(), L'\n', L' ');
    ::SetWindowTextW(line_, oneLine.c_str());
    TOOLINFOW tool = ToolOf(line_);
    tool.lpszText = text_.data();
    ::SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void StatusLine::Place(const RECT& where)
{
    ::MoveWindow(line_, where.left, where.top, where.right - where.left, where.bottom - where.top, TRUE);
}

}  // namespace vaveze::win
