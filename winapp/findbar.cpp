#include "winapp/findbar.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <optional>

#include "core/session/texts.h"
#include "winapp/accessibility.h"
#include "winapp/composition.h"
#include "winapp/dialogs.h"
#include "winapp/layout.h"
#include "winapp/pane.h"
#include "winapp/resource.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

// A selection longer than this is no text to find.
constexpr LONG kLongestSelection = 1'000;

HWND Create(HWND parent, DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style, int id,
            HFONT font)
{
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND control = ::CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | style, 0, 0, 0, 0, parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void Place(HWND control, const RECT& r)
{
    ::MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

std::string Utf8Of(std::u16string_view text)
{
    return Utf8(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

}  // namespace

FindBar::FindBar(HWND parent, HWND pane, HFONT font) : pane_(pane)
{
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    field_ = Create(parent, WS_EX_CLIENTEDGE, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, IDC_FINDFIELD, font);
    previous_ = Create(parent, 0, WC_BUTTONW, Wide(WindowText::FindPrevious), button, IDC_FINDPREVIOUS, font);
    next_ = Create(parent, 0, WC_BUTTONW, Wide(WindowText::FindNext), button, IDC_FINDNEXT, font);
    close_ = Create(parent, 0, WC_BUTTONW, Wide(WindowText::FindClose), button, IDC_FINDCLOSE, font);
    const std::wstring cue = Wide(WindowText::FindField);
    ::SendMessageW(field_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
    SetAccessibleName(field_, cue);
    WatchComposition(field_);
}

bool FindBar::Holds(HWND control) const noexcept
{
    return control != nullptr && (control == field_ || control == previous_ || control == next_ || control == close_);
}

void FindBar::Open()
{
    CHARRANGE selection{};
    ::SendMessageW(pane_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const LONG length = selection.cpMax - selection.cpMin;
    if (length > 0 && length <= kLongestSelection) {
        std::wstring selected(static_cast<std::size_t>(length) + 1, L'\0');
        selected.resize(static_cast<std::size_t>(
            ::SendMessageW(pane_, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(selected.data()))));
        // A line end in a selection means it spans lines.
        if (selected.find_first_of(L"\r\n\v") == std::wstring::npos)
            ::SetWindowTextW(field_, selected.c_str());
    }
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
    vaveze::win::Place(field_, places.FindField);
    vaveze::win::Place(previous_, places.FindPrevious);
    vaveze::win::Place(next_, places.FindNext);
    vaveze::win::Place(close_, places.FindClose);
}

std::u16string FindBar::Needle() const
{
    const std::wstring text = WindowTextOf(field_);
    return {text.begin(), text.end()};
}

bool FindBar::Find(FindDirection direction)
{
    CHARRANGE selection{};
    ::SendMessageW(pane_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const LONG from = direction == FindDirection::Forward ? selection.cpMax : selection.cpMin;
    return FindFrom(static_cast<std::size_t>(std::max<LONG>(from, 0)), direction);
}

void FindBar::FieldChanged()
{
    if (!visible_ || IsComposing(field_))
        return;
    CHARRANGE selection{};
    ::SendMessageW(pane_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (::GetWindowTextLengthW(field_) == 0) {
        // Nothing to find: the match shrinks back to where it started.
        selection.cpMax = selection.cpMin;
        ::SendMessageW(pane_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        if (Says)
            Says({});
        return;
    }
    (void)FindFrom(static_cast<std::size_t>(std::max<LONG>(selection.cpMin, 0)), FindDirection::Forward);
}

bool FindBar::FindFrom(std::size_t from, FindDirection direction)
{
    const std::u16string needle = Needle();
    if (needle.empty())
        return false;
    // The pane's own positions: one character for each line end.
    const std::optional<TextMatch> match = FindInText(PaneText(pane_), needle, from, direction);
    if (!match) {
        Beep();
        if (Says)
            Says(NotFoundStatus(Utf8Of(needle)));
        return false;
    }
    CHARRANGE found{static_cast<LONG>(match->Position), static_cast<LONG>(match->Position + match->Length)};
    ::SendMessageW(pane_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&found));
    ::SendMessageW(pane_, EM_SCROLLCARET, 0, 0);
    if (Says)
        Says(match->Wrapped ? WrappedStatus(direction) : std::string());
    return true;
}

}  // namespace vaveze::win
