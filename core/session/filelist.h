// The files a window works on at once: those the user chose or dropped, in
// the order given, each folder expanded to its drawings as `vaveze-list -r`
// walks it. Each file keeps what became of it once read (listed, listed in
// part, not recognised, and why) and once its listing was saved; nothing of
// its contents is kept here (only the file shown has its parse kept, in the
// front's Session).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/session/walk.h"

namespace vaveze {

struct OpenResult;

enum class FileState : std::uint8_t {
    NotRead,        // not opened yet
    Listed,         // read to its end
    Partial,        // listed as far as it could be read
    NotRecognised,  // could not be read, or is none of the four formats
};

enum class SaveState : std::uint8_t {
    NotSaved,    // no listing of it was saved by "save every listing" yet
    Saved,       // its listing was written to SavedTo
    NotWritten,  // its listing could not be written to SavedTo
};

struct ListedFile {
    Source Where;  // Path opens it; Relative names it below the folder it came from
    FileState State = FileState::NotRead;
    // Why it was not recognised, or where and why its parse stopped: the
    // reason text, in Japanese, as the list's tooltip gives it.
    std::string Reason;
    SaveState Save = SaveState::NotSaved;
    std::filesystem::path SavedTo;  // the target, once a save was tried
    std::size_t SavedLines = 0;
    std::string WriteFailure;  // the system's words, when not written
};

class FileList {
public:
    FileList() = default;
    // Files a front names without the file system (the page, with the
    // bytes it read itself): each as it is, in order.
    explicit FileList(std::vector<Source> sources);
    // Files chosen or dropped on this system: each file as it is; with
    // `walkFolders` (a drop, the command line) each folder walked for its
    // drawings (bytewise order, links to folders not followed; one that
    // cannot be read stays as an entry that says why), else a folder is an
    // entry of its own (an open dialog gives files). A path given twice is
    // listed once, where it came first.
    [[nodiscard]] static FileList Chosen(const std::vector<std::filesystem::path>& paths, bool walkFolders);

    [[nodiscard]] std::size_t Size() const noexcept { return files_.size(); }
    [[nodiscard]] bool Empty() const noexcept { return files_.empty(); }
    [[nodiscard]] const ListedFile& operator[](std::size_t i) const { return files_[i]; }
    [[nodiscard]] const std::vector<ListedFile>& Files() const noexcept { return files_; }
    // The entry of `path`, or Size() when it is not in the list.
    [[nodiscard]] std::size_t IndexOf(const std::filesystem::path& path) const;

    // What opening file i came to (the window's open, a find, a save).
    void Record(std::size_t i, const OpenResult& opened);
    // What saving file i's listing came to.
    void RecordSave(std::size_t i, SaveState save, std::filesystem::path target, std::size_t lines,
                    std::string failure = {});

private:
    std::vector<ListedFile> files_;
};

// The state of an open as the list shows it.
[[nodiscard]] FileState StateOf(const OpenResult& opened) noexcept;

// What a window's list marks a file with: nothing yet, listed, listed and
// its listing saved, listed in part, or a problem (not recognised, or its
// listing not written), the last first.
enum class FileMark : std::uint8_t { None, Listed, Saved, Partial, Problem };
[[nodiscard]] FileMark MarkOf(const ListedFile& file) noexcept;

// The name a list shows: the path below the folder the file came from, or
// its file name.
[[nodiscard]] std::filesystem::path EntryName(const ListedFile& file);

// A row of a list as every front shows it: the file name first, then,
// greyed, the folder it is in below the folder it came from (empty for a
// file given on its own or at the top of that folder). When any row of the
// list has a folder, every row is two lines, the name above its folder, so
// that two files of one name in different folders tell apart however
// narrow the list; what does not fit is cut off the folder's start and the
// name's end.
struct EntryLabel {
    std::filesystem::path Name;
    std::filesystem::path Folder;
};
[[nodiscard]] EntryLabel EntryLabelOf(const ListedFile& file);

}  // namespace vaveze
