// The window's status line: one line that never asks for more width than
// the window has. A text that does not fit ends in an ellipsis; the tooltip
// shows it whole.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vaveze::win {

class StatusLine {
public:
    // Creates the line as a child of `parent`; placed later by Place.
    StatusLine(HWND parent, int id, HFONT font, int lineHeight);
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    void SetText(std::string_view utf8);
    [[nodiscard]] const std::wstring& Text() const noexcept { return text_; }
    void Place(const RECT& where);
    [[nodiscard]] int Height() const noexcept { return height_; }

private:
    HWND line_ = nullptr;
    HWND tip_ = nullptr;
    std::wstring text_;
    int height_ = 0;
};

}  // namespace vaveze::win
