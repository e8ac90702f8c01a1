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

// The order of a folder's walk: by the names along the paths below it, each
// name's UTF-8 bytes compared, so a folder's files come where its name does.
[[nodiscard]] bool WalkedBefore(const std::filesystem::path& a, const std::filesystem::path& b);

// Files a front found below one folder by itself (the page, through the
// browser's entries of a folder dropped), each at its Relative path below
// it: those a walk takes (drawings and backups by their names, and folders
// that could not be read), in the order CollectSources gives a folder's.
[[nodiscard]] std::vector<Source> InWalkOrder(std::vector<Source> found);

}  // namespace vaveze

