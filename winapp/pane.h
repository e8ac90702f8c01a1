// The listing pane: a rich edit control of plain text in the window's font,
// and its text as the session reads it back.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace vaveze::win {

// Makes the pane as a child of `parent`, holding at most `characterLimit`
// characters; null when the system would not.
[[nodiscard]] HWND CreatePane(HWND parent, HFONT font, std::size_t characterLimit);

// The pane's text as the session reads it back: lines ended by '\n', one
// character for each line end, as the pane counts its positions. A line
// break typed with Shift and Enter ends a line too.
[[nodiscard]] std::u16string PaneText(HWND pane);

}  // namespace vaveze::win
