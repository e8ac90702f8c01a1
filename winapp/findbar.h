// Find in the pane (Ctrl+F): a bar under the pane with the text to find,
// 前を検索, 次を検索 and a close button. The window hands what is typed and
// pressed there to the flow, which finds (going round the pane's ends) and
// says where: the text as it is typed (through an input method: once
// committed), Enter or F3 the next, Shift+Enter or Shift+F3 the previous,
// Escape closes the bar.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vaveze::win {

struct Layout;

class FindBar {
public:
    // Makes the bar's controls, hidden, as children of `parent` next in the
    // Tab order.
    FindBar(HWND parent, HWND pane, HFONT font);
    FindBar(const FindBar&) = delete;
    FindBar& operator=(const FindBar&) = delete;

    [[nodiscard]] bool Visible() const noexcept { return visible_; }
    [[nodiscard]] HWND Field() const noexcept { return field_; }
    // `control` is one of the bar's.
    [[nodiscard]] bool Holds(HWND control) const noexcept;
    // The field's text changed by the user's typing, not by Open, and not
    // while an input method composes it.
    [[nodiscard]] bool Typed() const;
    // The text to find.
    [[nodiscard]] std::u16string Needle() const;

    // Shows the bar with the field focused holding `start`, selected. The
    // window lays itself out again after.
    void Open(std::u16string_view start);
    // Hides the bar; the pane gets the keyboard.
    void Close();
    void Place(const Layout& places);

private:
    HWND pane_;
    HWND field_ = nullptr;
    HWND previous_ = nullptr;
    HWND next_ = nullptr;
    HWND close_ = nullptr;
    bool visible_ = false;
    bool quiet_ = false;
};

}  // namespace vaveze::win
