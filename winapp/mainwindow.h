// The main window, a view of the window flow (core/window): its controls
// and their layout, the message loop's timers and the dialogs, which carry
// out the flow's effects and hand it what the user does.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/window/windowflow.h"

namespace vaveze::win {

// Creates and shows the window; null when the system would not.
[[nodiscard]] HWND CreateMainWindow(HINSTANCE instance, window::FlowSetup setup, int show);

// Opens `files` once the message loop runs, as if they had been dropped on
// the window: several become the file list, folders are walked.
void OpenAtStart(HWND window, std::vector<std::wstring> files);

}  // namespace vaveze::win
