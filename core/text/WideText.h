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

}  // namespace vaveze

#endif
