// The main window: a button that opens a file, the path field, the three
// listing options, the save button, the caption, the notice and the listing
// pane, and the status line. What a file holds, how it is listed and how the
// pane is saved back is the session's (core/session); the window keeps its
// controls, its messages and its system calls.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace vaveze::win {

// Creates and shows the window; null when the system would not. The pane
// holds at most `paneCharacterLimit` characters.
[[nodiscard]] HWND CreateMainWindow(HINSTANCE instance, std::size_t paneCharacterLimit, int show);

// Opens the first of `files` once the message loop runs, as if it had been
// dropped on the window (the others are said not to be opened).
void OpenAtStart(HWND window, std::vector<std::wstring> files);

}  // namespace vaveze::win
