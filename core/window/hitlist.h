// The search behind the file list's field, as the window flow holds it:
// which files of the list hold the text typed, and the lines that hold it
// (the list of hits), gathered as the files are searched. Where the flow
// reads the files itself they are read in parallel on worker threads by
// FileSearch and taken, in the list's order, from the event loop's timer
// ticks, never waited for; where the front reads them (the page), each is
// searched here as its bytes arrive, one after the other.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/listing/listing.h"
#include "core/session/filelist.h"
#include "core/session/search.h"

namespace vaveze::window {

// A line that holds the text: the entry of the file list, the line's number
// (from 1, the pane's line Line - 1 when that file is listed with the boxes
// as they were), the line as the pane shows it and where the match is in it.
struct Hit {
    std::size_t Entry = 0;
    std::size_t Line = 0;
    std::u16string Text;
    std::size_t Position = 0;  // UTF-16 units into Text
    std::size_t Length = 0;
};

// Where a search stands, for the status line and the progress beside the hits.
struct SearchProgress {
    bool Running = false;
    bool Stopped = false;     // 中止 ended it before the last file
    std::size_t Done = 0;     // files searched, in the list's order
    std::size_t Count = 0;    // files to search
    std::size_t Holding = 0;  // files that hold the text
    std::size_t Hits = 0;     // lines that hold it, all of them
    std::size_t Kept = 0;     // of those, the ones in the list of hits
};

// However common the text, the list of hits keeps this many lines; the rest
// are counted, and the files that hold them still shown.
inline constexpr std::size_t kMostHitsKept = 10'000;

class HitList {
public:
    HitList() = default;
    ~HitList();
    HitList(const HitList&) = delete;
    HitList& operator=(const HitList&) = delete;

    // A new search of `files` for `needle` with the boxes `options`; what
    // an earlier one found is let go. `parallel`: the files are read at once
    // on worker threads (take them with TakeReady); else the front reads
    // them one by one (NextToRead, then SearchBytes and Take). An empty
    // needle searches nothing.
    void Start(const FileList& files, std::u16string needle, const ListingOptions& options, bool parallel);
    // 中止, a new text typed, a new list: no file is opened any more; the
    // hits found stay.
    void Stop();
    // No search and no hits (a new file list).
    void Clear();

    // The next files searched, in the list's order, at most `most` of them,
    // without waiting. A fault met on a worker is rethrown here.
    [[nodiscard]] std::vector<SearchedFile> TakeReady(std::size_t most);
    // The front reads the files: the next one to read, once the last one
    // read was taken.
    [[nodiscard]] std::optional<std::size_t> NextToRead() const;
    // Searches file `index` from the bytes the front read (or says why it
    // could not read them, when `failure` is not empty).
    [[nodiscard]] SearchedFile SearchBytes(std::size_t index, std::string_view bytes,
                                           const std::filesystem::path& path, const std::string& failure) const;
    // What searching a file came to: its hits join the list. Files are
    // taken in the list's order.
    void Take(const SearchedFile& file);

    [[nodiscard]] bool Running() const noexcept { return running_; }
    [[nodiscard]] const std::u16string& Needle() const noexcept { return needle_; }
    [[nodiscard]] const std::vector<Hit>& Hits() const noexcept { return hits_; }
    [[nodiscard]] SearchProgress Progress() const noexcept;
    // Counts the searches started, so that a view knows its rows are of an
    // earlier one.
    [[nodiscard]] std::size_t Number() const noexcept { return number_; }

private:
    void Finish();

    std::unique_ptr<FileSearch> search_;  // the worker threads, while they search
    SearchQuery query_;
    std::u16string needle_;
    std::vector<Hit> hits_;
    std::size_t number_ = 0;
    std::size_t count_ = 0;
    std::size_t done_ = 0;
    std::size_t holding_ = 0;
    std::size_t hitCount_ = 0;
    bool running_ = false;
    bool stopped_ = false;
};

}  // namespace vaveze::window
