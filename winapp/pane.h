// The listing pane: a rich edit control of plain text in the window's font,
// its text as the flow reads it back, and the fill the flow paces: the
// listing goes in a piece at a time from the message loop.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace vaveze::win {

// Makes the pane as a child of `parent`, holding at most `characterLimit`
// characters; null when the system would not.
[[nodiscard]] HWND CreatePane(HWND parent, HFONT font, std::size_t characterLimit);

// The pane's text as the flow reads it back: lines ended by '\n', one
// character for each line end, as the pane counts its positions. A line
// break typed with Shift and Enter ends a line too.
[[nodiscard]] std::u16string PaneText(HWND pane);

// The pane's selection when it is at most `longest` characters, else none.
[[nodiscard]] std::u16string SelectedText(HWND pane, std::size_t longest);

// A fill: the pane emptied, read-only and without undo history, then each
// piece put in at its end, which the pane holds up to `at`, without moving
// what the user sees or has selected; then editable again, with a fresh
// history, unmodified.
void StartFill(HWND pane);
void AppendPiece(HWND pane, std::size_t at, std::u16string_view piece);
void FinishFill(HWND pane);

}  // namespace vaveze::win
