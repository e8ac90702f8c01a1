// What the window program starts with: its command line, where --help and
// --version are answered, and the folder the first open dialog shows.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace vaveze::win {

struct StartRequest {
    enum class Kind { Window, Help, Version };
    Kind What = Kind::Window;
    // The files named, made absolute; "--" ends the options, so that a file
    // may be called --help.
    std::vector<std::wstring> Files;
};

// Reads the program's own command line.
[[nodiscard]] StartRequest ReadCommandLine();

// Answers --help or --version where the program was started from: the
// console of the shell that started it, standard output when that leads to
// a file or a pipe, else a message box.
void Answer(StartRequest::Kind what);

// Where the open dialog starts while no file has been chosen: the program's
// folder where it was unpacked by hand (a folder the user may write to),
// else the user's documents.
[[nodiscard]] std::wstring FirstOpenFolder();

// The folder that holds the running program, ending in a separator.
[[nodiscard]] std::wstring ProgramFolder();

}  // namespace vaveze::win
