// Saving a listing: the new file replaces the one chosen only once it is
// complete, so a failed save never destroys what the user chose to
// overwrite.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vaveze::win {

// Writes `bytes` to a new file beside `target`, then puts it in the
// target's place in one step; ERROR_SUCCESS, or the system's error.
[[nodiscard]] DWORD ReplaceFileWith(const std::wstring& target, std::string_view bytes);

}  // namespace vaveze::win
