// The main window: a button that opens files, the path field, the three
// listing options, the save buttons (the pane; every listing of the file
// list), the caption, the notice, the file list beside the listing pane
// (shown for several files), the find bar under it (Ctrl+F) and the status
// line with the progress of a save of every listing. What a file holds, how
// it is listed and how the pane is saved back is the session's
// (core/session); the window keeps its controls, its messages and its
// system calls.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace vaveze::win {

// Creates and shows the window; null when the system would not. The pane
// holds at most `paneCharacterLimit` characters.
[[nodiscard]] HWND CreateMainWindow(HINSTANCE instance, std::size_t paneCharacterLimit, int show);

// Opens `files` once the message loop runs, as if they had been dropped on
// the window: several become the file list, folders are walked.
void OpenAtStart(HWND window, std::vector<std::wstring> files);

}  // namespace vaveze::win
