// What a window program starts with, decided once for both windows: its
// command line (--help and --version answered without a window), and the
// folder the first open dialog shows. The system's part (the program's own
// folder, the user's documents, whether a folder may be written to) is each
// front's to ask and hand over.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vaveze::window {

struct StartRequest {
    enum class Kind { Window, Help, Version };
    Kind What = Kind::Window;
    // The files named, as given; "--" ends the options, so that a file may
    // be called --help.
    std::vector<std::string> Files;
};

// Reads the arguments after the program's name (UTF-8 on Windows, the file
// system's bytes elsewhere).
[[nodiscard]] StartRequest ReadCommandLine(const std::vector<std::string>& arguments);

// What the program prints for --help or --version: `program` names it.
[[nodiscard]] std::string StartAnswer(StartRequest::Kind what, std::string_view program = "vaveze");
// "vaveze-list (VAveze) 1.1.0\n": the version line of every program.
[[nodiscard]] std::string VersionLine(std::string_view program);

// What the front found out about where the program runs from.
struct ProgramPlace {
    std::filesystem::path Folder;     // the executable's folder
    bool Writable = false;            // the user may create files there
    std::filesystem::path Documents;  // the user's documents folder (or home)
};

// Where the open dialog starts while no file has been chosen: the program's
// own folder where it was unpacked by hand (a folder the user may write to),
// else the user's documents, for an installed program (under a folder the
// system or a package manager owns) or one run from its build folder.
[[nodiscard]] std::filesystem::path FirstOpenFolder(const ProgramPlace& place);

}  // namespace vaveze::window
