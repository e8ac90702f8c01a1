// The files a window works on at once, and what became of each.
#include "core/session/filelist.h"

#include <set>
#include <utility>

#include "core/session/session.h"
#include "core/session/texts.h"

namespace vaveze {

FileList::FileList(std::vector<Source> sources)
{
    files_.reserve(sources.size());
    for (Source& source : sources) {
        ListedFile file;
        file.Where = std::move(source);
        if (!file.Where.WalkProblem.empty()) {
            // A folder that could not be walked says so as a file that
            // could not be read.
            file.State = FileState::NotRecognised;
            file.Reason = NotListedReasonText(NotWalked(file.Where), Language::Japanese);
        }
        files_.push_back(std::move(file));
    }
}

FileList FileList::Chosen(const std::vector<std::filesystem::path>& paths, bool walkFolders)
{
    std::vector<Source> sources = CollectSources(paths, walkFolders);
    std::set<std::filesystem::path> seen;
    std::vector<Source> unique;
    unique.reserve(sources.size());
    for (Source& source : sources)
        if (seen.insert(source.Path.lexically_normal()).second)
            unique.push_back(std::move(source));
    return FileList(std::move(unique));
}

std::size_t FileList::IndexOf(const std::filesystem::path& path) const
{
    const std::filesystem::path wanted = path.lexically_normal();
    for (std::size_t i = 0; i < files_.size(); ++i)
        if (files_[i].Where.Path.lexically_normal() == wanted)
            return i;
    return files_.size();
}

FileState StateOf(const OpenResult& opened) noexcept
{
    if (!opened.Listed())
        return FileState::NotRecognised;
    return opened.Partial() ? FileState::Partial : FileState::Listed;
}

FileMark MarkOf(const ListedFile& file) noexcept
{
    if (file.State == FileState::NotRecognised || file.Save == SaveState::NotWritten)
        return FileMark::Problem;
    if (file.State == FileState::Partial)
        return FileMark::Partial;
    if (file.State != FileState::Listed)
        return FileMark::None;
    return file.Save == SaveState::Saved ? FileMark::Saved : FileMark::Listed;
}

std::filesystem::path EntryName(const ListedFile& file)
{
    return file.Where.Relative.empty() ? file.Where.Path.filename() : file.Where.Relative;
}

EntryLabel EntryLabelOf(const ListedFile& file)
{
    const std::filesystem::path name = EntryName(file);
    return {name.filename(), name.parent_path()};
}

void FileList::Record(std::size_t i, const OpenResult& opened)
{
    ListedFile& file = files_.at(i);
    file.State = StateOf(opened);
    switch (file.State) {
    case FileState::NotRecognised:
        file.Reason = NotListedReasonText(opened, Language::Japanese);
        break;
    case FileState::Partial:
        file.Reason = StopText(opened.Outcome, Language::Japanese);
        break;
    case FileState::Listed:
    case FileState::NotRead:
        file.Reason.clear();
        break;
    }
}

void FileList::RecordSave(std::size_t i, SaveState save, std::filesystem::path target, std::size_t lines,
                          std::string failure)
{
    ListedFile& file = files_.at(i);
    file.Save = save;
    file.SavedTo = std::move(target);
    file.SavedLines = lines;
    file.WriteFailure = std::move(failure);
}

}  // namespace vaveze
