// The command line of vaveze-list.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/listing/listing.h"

namespace vaveze::cli {

enum class Encoding { Auto, Utf8, ShiftJis };
enum class FileNames { Auto, Always, Never };

struct Options {
    ListingOptions Listing;
    bool Save = false;
    std::optional<std::filesystem::path> OutputDir;
    Encoding Output = Encoding::Auto;  // Auto: UTF-8 on a terminal, else Shift-JIS
    FileNames Prefix = FileNames::Auto;
    bool Recursive = false;
    bool Quiet = false;
    unsigned Jobs = 0;  // 0: one per processor
    std::vector<std::filesystem::path> Files;
};

// Reads the arguments into `options`; returns -1 to go on, or the exit
// status when help, the version or a usage error has been printed.
// `args` are UTF-8, without the program name.
[[nodiscard]] int ParseArguments(const std::vector<std::string>& args, Options& options);

}  // namespace vaveze::cli
