// Where the tool's output goes on Windows, decided once at start from what
// standard output is and who else shares the console: a console takes
// characters, a file or pipe takes the listing's bytes, and a console made
// for this run alone means the tool was double-clicked (or had a drawing
// dropped on it) and nobody will read what it writes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/session/encoding.h"

namespace vaveze::cli {

enum class OutputRoute : std::uint8_t {
    Characters,  // a console: the listing, help and messages as characters, whatever its code page
    Bytes,       // a file or a pipe: the listing's bytes as asked (Shift-JIS unless --utf8)
    NoConsole,   // a console of its own: say in a box which program is the window, and stop
};

// `processesOnConsole` counts the processes attached to the console this
// run has (this one included); 0 when it has none. A console program started
// from Explorer gets a new console with itself alone on it; from Command
// Prompt or PowerShell, the shell is there too.
[[nodiscard]] OutputRoute RouteOutput(StreamKind output, std::size_t processesOnConsole);

}  // namespace vaveze::cli
