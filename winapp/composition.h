// Text typed through an input method: while the user composes (kana not yet
// turned into the words meant), an edit control may already hold the
// composition; only the committed text is what the user typed. A field that
// acts on every change (find as typed, the file list's filter) asks
// IsComposing on EN_CHANGE and hears EN_CHANGE once more when the
// composition ends.
#pragma once

#include <windows.h>

namespace vaveze::win {

// Watches `edit`'s compositions from now until it is destroyed.
void WatchComposition(HWND edit);

// True while the user composes in a watched edit.
[[nodiscard]] bool IsComposing(HWND edit);

}  // namespace vaveze::win
