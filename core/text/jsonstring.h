// Text as a JSON string, for the programs that read what this system writes
// (the tool's --json, the page's fixed texts).
#pragma once

#include <string>
#include <string_view>

namespace vaveze {

// Appends `utf8` to `out` as a JSON string, quotes included: the control
// characters escaped as JSON escapes them, and each byte that starts no
// valid UTF-8 sequence (a file name is any bytes on Linux) as U+FFFD.
void AppendJsonString(std::string& out, std::string_view utf8);

}  // namespace vaveze
