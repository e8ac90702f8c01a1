// Names that screen readers say for controls that have no label of their
// own beside them.
#pragma once

#include <windows.h>

#include <string>

namespace vaveze::win {

// Gives `control` the accessible name `name`; nothing where the system
// cannot (COM not started).
void SetAccessibleName(HWND control, const std::wstring& name);

}  // namespace vaveze::win
