// The files named on a command line, folders walked in a stable order.
#include "core/session/walk.h"

#include <algorithm>
#include <system_error>

#include "core/listing/extraction.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;

struct Entry {
    std::u8string Key;  // the name as UTF-8 bytes, for a bytewise order on every system
    fs::path Name;
};

void Walk(const fs::path& folder, const fs::path& relative, std::vector<Source>& out)
{
    std::error_code ec;
    std::vector<Entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path name = it->path().filename();
        entries.push_back({name.u8string(), name});
    }
    if (ec) {
        out.push_back({folder, relative, 0, ec.message(), ec});
        return;
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.Key < b.Key; });
    for (const Entry& entry : entries) {
        const fs::path path = folder / entry.Name;
        const fs::file_status linkStatus = fs::symlink_status(path, ec);
        if (fs::is_directory(linkStatus)) {
            Walk(path, relative / entry.Name, out);
            continue;
        }
        if (!IsDrawingName(entry.Name))
            continue;
        // A link to a folder is not followed; a link to a file is tried as
        // that file, a broken or looping link gets its reason from the reader.
        if (fs::is_symlink(linkStatus) && fs::is_directory(fs::status(path, ec)))
            continue;
        const std::uintmax_t size = fs::is_regular_file(fs::status(path, ec)) ? fs::file_size(path, ec) : 0;
        out.push_back({path, relative / entry.Name, ec ? 0 : size, {}, {}});
    }
}

}  // namespace

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

