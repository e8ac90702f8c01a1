// What the command line names, as the list of files to list: files named
// directly, and with -r the drawings found in the folders named.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vaveze {

struct Source {
    std::filesystem::path Path;      // to open, and to show
    std::filesystem::path Relative;  // below the folder named; the file name for a file named directly
    std::uintmax_t Size = 0;         // as the walk saw it, for the progress line
    std::string WalkProblem;         // a folder that could not be read, in the system's words; nothing else is done with it
    std::error_code WalkError;       // what the system said of it, where it was asked
};

// The sources in a stable order: the arguments in their order; each folder,
// when `recursive`, in bytewise order of its names, depth first. Symbolic
// links to folders are listed as the names they are, never followed.
[[nodiscard]] std::vector<Source> CollectSources(const std::vector<std::filesystem::path>& named, bool recursive);

}  // namespace vaveze

