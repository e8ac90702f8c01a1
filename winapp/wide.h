// The window's texts meet the system here: the core speaks UTF-8, Windows
// wide characters.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/session/texts.h"
#include "core/text/widetext.h"

namespace vaveze::win {

[[nodiscard]] inline std::wstring Wide(std::string_view utf8) { return Widen(utf8); }
[[nodiscard]] inline std::string Utf8(std::wstring_view wide) { return Narrow(wide); }

// A fixed text of the window, from the core's catalogue.
[[nodiscard]] inline std::wstring Wide(WindowText text) { return Wide(Text(text)); }

// The text of a window (a control's caption, an edit's content).
[[nodiscard]] std::wstring WindowTextOf(HWND window);

}  // namespace vaveze::win
