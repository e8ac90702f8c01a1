// vaveze-list --grep: the lines of the files' listings that hold a text, as
// grep -n prints them; with -l the names of the files that hold it, with -c
// how many lines of each do; with --json the lines as JSON Lines.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "cli/listfile.h"
#include "cli/options.h"
#include "core/session/walk.h"

namespace vaveze::cli {

// grep's exit statuses.
inline constexpr int kGrepFound = 0;
inline constexpr int kGrepNothingFound = 1;
inline constexpr int kGrepTrouble = 2;  // a file not listed whole, or a failed write

// Searches the sources, file by file in their order, and writes what was
// found to standard output. `inputFor(i)` is standard input for a source
// that stands for it, else null. grep's exit status.
[[nodiscard]] int Grep(const std::vector<Source>& sources, const Options& options, const RunSettings& settings,
                       const std::function<StandardInput*(std::size_t)>& inputFor);

}  // namespace vaveze::cli
