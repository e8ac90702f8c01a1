// Where each listing of --save goes, settled for the whole run before any
// file is written, so that no listing replaces another.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "core/session/walk.h"

namespace vaveze {

struct Target {
    std::filesystem::path Path;
    // The plain name (plan.txt) when it was taken by another listing or a
    // source of this run and this one got its whole name (plan.zvs.txt).
    std::optional<std::filesystem::path> TakenPlainName;
};

// One target per source, in the sources' order. Beside the source, or under
// `outputDir` at the source's path below the folder named. A drawing or
// symbol file proper (.zvw .zvs .zvc .zvk) has the first claim on its plain
// name (plan.txt). A backup always gets its whole name plus ".txt"
// (plan.bak.txt), so that its listing never replaces its drawing's, in one
// run or many. A later source whose plain name is taken gets its whole name
// too. Sources themselves are never targets.
[[nodiscard]] std::vector<Target> SettleTargets(const std::vector<Source>& sources,
                                                const std::optional<std::filesystem::path>& outputDir);

}  // namespace vaveze
