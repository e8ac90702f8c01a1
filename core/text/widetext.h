// Text between the core's UTF-8 and the wide characters every Windows call
// takes, for each program that meets the system there.
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace vaveze {

// Ill-formed input becomes U+FFFD, as the system converts it.
[[nodiscard]] std::wstring Widen(std::string_view utf8);
[[nodiscard]] std::string Narrow(std::wstring_view wide);

// The system's own words for one of its errors (a DWORD), in the language of
// the user's Windows, without the line end it adds.
[[nodiscard]] std::string SystemErrorText(unsigned long error);

}  // namespace vaveze

#endif
