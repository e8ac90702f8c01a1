// What the window program starts with: the command line, and the folder
// the first open dialog shows.
#pragma once

#include <string>
#include <vector>

#include <QString>

namespace vaveze {

struct StartRequest {
    enum class Kind { Window, Help, Version };
    Kind What = Kind::Window;
    // Files named, as the file system's bytes; "--" ends the options, so
    // that a file may be called --help.
    std::vector<std::string> Files;
};

// Reads the arguments after the program's name.
[[nodiscard]] StartRequest ReadCommandLine(const std::vector<std::string>& arguments);

// What the program prints for --help or --version.
[[nodiscard]] std::string StartAnswer(StartRequest::Kind what);

// Where the open dialog starts while no file has been chosen: the
// executable's folder where the program was unpacked by hand (a folder the
// user may write to), else the user's documents folder (or home), for an
// installed program or one in a build folder.
[[nodiscard]] QString FirstOpenFolder(const QString& executableFolder);

}  // namespace vaveze
