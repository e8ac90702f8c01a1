// The files named on a command line, folders walked in a stable order.
#include "core/session/walk.h"

#include <algorithm>
#include <system_error>

#include "core/listing/extraction.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;

void Walk(const fs::path& folder, const fs::path& relative, std::vector<Source>& out)
{
    std::error_code ec;
    std::vector<fs::path> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename());
    if (ec) {
        out.push_back({folder, relative, 0, ec.message(), ec});
        return;
    }
    std::sort(names.begin(), names.end(), WalkedBefore);
    for (const fs::path& name : names) {
        const fs::path path = folder / name;
        const fs::file_status linkStatus = fs::symlink_status(path, ec);
        if (fs::is_directory(linkStatus)) {
            Walk(path, relative / name, out);
            continue;
        }
        if (!IsDrawingName(name))
            continue;
        // A link to a folder is not followed; a link to a file is tried as
        // that file, a broken or looping link gets its reason from the reader.
        if (fs::is_symlink(linkStatus) && fs::is_directory(fs::status(path, ec)))
            continue;
        const std::uintmax_t size = fs::is_regular_file(fs::status(path, ec)) ? fs::file_size(path, ec) : 0;
        out.push_back({path, relative / name, ec ? 0 : size, {}, {}});
    }
}

}  // namespace

bool WalkedBefore(const fs::path& a, const fs::path& b)
{
    // UTF-8 bytes on every system, where Windows would compare UTF-16 units.
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](const fs::path& x, const fs::path& y) { return x.u8string() < y.u8string(); });
}

std::vector<Source> InWalkOrder(std::vector<Source> found)
{
    std::erase_if(found, [](const Source& source) { return source.WalkProblem.empty() && !IsDrawingName(source.Relative); });
    std::stable_sort(found.begin(), found.end(),
                     [](const Source& a, const Source& b) { return WalkedBefore(a.Relative, b.Relative); });
    return found;
}

std::vector<Source> CollectSources(const std::vector<fs::path>& named, bool recursive)
{
    std::vector<Source> sources;
    for (const fs::path& path : named) {
        std::error_code ec;
        if (recursive && fs::is_directory(fs::status(path, ec))) {
            Walk(path, {}, sources);
            continue;
        }
        const std::uintmax_t size = fs::is_regular_file(fs::status(path, ec)) ? fs::file_size(path, ec) : 0;
        sources.push_back({path, path.filename(), ec ? 0 : size, {}, {}});
    }
    return sources;
}

}  // namespace vaveze

