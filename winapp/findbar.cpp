// The find bar under the pane.
#include "winapp/findbar.h"

#include <commctrl.h>

#include "core/session/texts.h"
#include "winapp/accessibility.h"
#include "winapp/composition.h"
#include "winapp/controls.h"
#include "winapp/layout.h"
#include "winapp/resource.h"
#include "winapp/wide.h"

namespace vaveze::win {

FindBar::FindBar(HWND parent, HWND pane, HFONT font) : pane_(pane)
{
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    field_ = CreateControl(parent, WS_EX_CLIENTEDGE, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, IDC_FINDFIELD, font, false);
    previous_ = CreateControl(parent, 0, WC_BUTTONW, Wide(WindowText::FindPrevious), button, IDC_FINDPREVIOUS, font, false);
    next_ = CreateControl(parent, 0, WC_BUTTONW, Wide(WindowText::FindNext), button, IDC_FINDNEXT, font, false);
    close_ = CreateControl(parent, 0, WC_BUTTONW, Wide(WindowText::FindClose), button, IDC_FINDCLOSE, font, false);
    const std::wstring cue = Wide(WindowText::FindField);
    ::SendMessageW(field_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
    SetAccessibleName(field_, cue);
    WatchComposition(field_);
}

bool FindBar::Typed() const { return !quiet_ && !IsComposing(field_); }

bool FindBar::Holds(HWND control) const noexcept
{
    return control != nullptr && (control == field_ || control == previous_ || control == next_ || control == close_);
}

std::u16string FindBar::Needle() const
{
    const std::wstring text = WindowTextOf(field_);
    return {text.begin(), text.end()};
}

void FindBar::Open(std::u16string_view start)
{
    // Not a text typed: nothing is looked for until the user types or asks.
    quiet_ = true;
    ::SetWindowTextW(field_, std::wstring(start.begin(), start.end()).c_str());
    quiet_ = false;
    visible_ = true;
    for (HWND control : {field_, previous_, next_, close_})
        ::ShowWindow(control, SW_SHOWNA);
    ::SetFocus(field_);
    ::SendMessageW(field_, EM_SETSEL, 0, -1);
}

void FindBar::Close()
{
    visible_ = false;
    ::SetFocus(pane_);
    for (HWND control : {field_, previous_, next_, close_})
        ::ShowWindow(control, SW_HIDE);
}

void FindBar::Place(const Layout& places)
{
    if (!visible_)
        return;
    MoveTo(field_, places.FindField);
    MoveTo(previous_, places.FindPrevious);
    MoveTo(next_, places.FindNext);
    MoveTo(close_, places.FindClose);
}

}  // namespace vaveze::win
