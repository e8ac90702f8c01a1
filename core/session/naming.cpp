// Where each listing of a run is saved, settled before any is written.
#include "core/session/naming.h"

#include <set>
#include <string>

#include "core/listing/extraction.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;

// How two paths compare as files: case matters on this system unless it is
// Windows, whose file systems ignore the case of names.
std::u8string Key(const fs::path& path)
{
    std::u8string key = path.lexically_normal().generic_u8string();
#ifdef _WIN32
    for (char8_t& c : key)
        if (c >= u8'A' && c <= u8'Z')
            c = static_cast<char8_t>(c - u8'A' + u8'a');
#endif
    return key;
}

// Which sources may have the plain name, and in which order they claim it.
enum class Claim { First, Then, Never };

Claim ClaimOf(const fs::path& path)
{
    switch (ClassifyName(path)) {
    case NameClass::Backup:
        return Claim::Never;
    case NameClass::Other:
        return Claim::Then;
    default:
        return Claim::First;
    }
}

fs::path Folder(const Source& source, const std::optional<fs::path>& outputDir)
{
    return outputDir ? *outputDir / source.Relative.parent_path() : source.Path.parent_path();
}

fs::path PlainTarget(const Source& source, const std::optional<fs::path>& outputDir)
{
    return Folder(source, outputDir) / ProposedTextName(source.Path);
}

}  // namespace

std::vector<Target> SettleTargets(const std::vector<Source>& sources, const std::optional<fs::path>& outputDir)
{
    std::set<std::u8string> taken;
    for (const Source& source : sources)
        taken.insert(Key(source.Path));

    std::vector<Target> targets(sources.size());
    std::vector<bool> settled(sources.size(), false);
    // First the plain names: the drawing and symbol files in order, then
    // names of other kinds (never listed, but they keep their claim).
    for (const Claim claim : {Claim::First, Claim::Then}) {
        for (std::size_t i = 0; i < sources.size(); ++i) {
            if (!sources[i].WalkProblem.empty() || ClaimOf(sources[i].Path) != claim)
                continue;
            fs::path plain = PlainTarget(sources[i], outputDir);
            if (taken.insert(Key(plain)).second) {
                targets[i].Path = std::move(plain);
                settled[i] = true;
            }
        }
    }
    // Then the whole names of the backups and of those whose plain name was
    // taken, numbered in the rare case that one is taken too.
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (settled[i] || !sources[i].WalkProblem.empty())
            continue;
        const fs::path folder = Folder(sources[i], outputDir);
        const fs::path whole = sources[i].Path.filename();
        const auto named = [&](const std::string& suffix) {
            fs::path name = whole;
            name += suffix;
            return folder / name;
        };
        fs::path candidate = named(".txt");
        for (int n = 2; !taken.insert(Key(candidate)).second; ++n)
            candidate = named("." + std::to_string(n) + ".txt");
        targets[i].Path = std::move(candidate);
        if (ClaimOf(sources[i].Path) != Claim::Never)
            targets[i].TakenPlainName = PlainTarget(sources[i], outputDir);
    }
    return targets;
}

}  // namespace vaveze
