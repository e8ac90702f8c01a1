// Find in the pane (Ctrl+F): a bar under the pane with the text to find,
// "find previous", "find next" and a close button, going round the pane's
// ends. The text is found as it is typed (through an input method: once
// committed), Enter or F3 finds the next, Shift+Enter or Shift+F3 the
// previous, Escape closes the bar; the window passes those keys on. The
// rule of a match is the core's (FindInText), shared with the other windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/session/find.h"

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

    // Shows the bar with the field focused and its text selected; a
    // selection within one line of the pane becomes the text to find. The
    // window lays itself out again after.
    void Open();
    // Hides the bar; the pane gets the keyboard.
    void Close();
    void Place(const Layout& places);

    // Finds from the pane's selection: the next match from its end, the
    // previous from its start. False when there is none.
    bool Find(FindDirection direction);
    // The field changed: the text is found from the selection's start, so
    // the match grows in place as it is typed.
    void FieldChanged();

    // Tells the status line: not found, found past an end, or "" (nothing
    // to say any more).
    std::function<void(const std::string&)> Says;

private:
    bool FindFrom(std::size_t from, FindDirection direction);
    [[nodiscard]] std::u16string Needle() const;

    HWND pane_;
    HWND field_ = nullptr;
    HWND previous_ = nullptr;
    HWND next_ = nullptr;
    HWND close_ = nullptr;
    bool visible_ = false;
};

}  // namespace vaveze::win
