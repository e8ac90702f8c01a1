// Finding a text across many files down to the line: which drawings of an
// archive say 浴室, and where. The files are read in parallel and listed
// with the options given; each line that holds the text, by the windows'
// find rule (find.h), comes out with its number, kind, block and where the
// match starts, file by file in the order of the files.
//
// A window runs it from its event loop, showing the first hits while the
// rest are read:
//
//     FileSearch search(sources, query, 0, [window] { post(window, kSearchReady); });
//     // on kSearchReady (and, where there are no threads, from a step of its own):
//     while (std::optional<SearchedFile> file = search.TakeReady())
//         show(*file);                        // its hits, and whether it holds the text
//     // 中止, a new text, the window closing: search.Stop() (or let it go)
//
// The tool takes each file in turn, waiting for it (Take).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/listing/listing.h"
#include "core/session/orderedjobs.h"
#include "core/session/session.h"
#include "core/session/walk.h"

namespace vaveze {

struct SearchQuery {
    std::u16string Needle;   // as typed; an empty one finds nothing
    ListingOptions Listing;  // the listing searched: the check boxes as they are
    // A file is left after this many hits (0: never): 1 answers "which
    // files hold it" without reading each to its end.
    std::size_t MostHitsPerFile = 0;
    bool KeepLines = true;  // false: hits are counted, their lines not kept
};

// A line that holds the text.
struct SearchHit {
    std::size_t Line = 0;  // from 1 in the file's listing: the pane's line Line - 1
    LineKind Kind = LineKind::Text;
    std::int32_t Block = kNoBlock;
    std::string Bytes;         // the line as listed (Shift-JIS)
    std::size_t Position = 0;  // the first match, in UTF-16 units of the line as a pane shows it
    std::size_t Length = 0;
};

// What searching one file came to.
struct SearchedFile {
    std::size_t Index = 0;  // in the files searched
    OpenResult Opened;      // listed, listed in part (what was read is searched), or not, and why
    std::size_t Hits = 0;   // lines that hold the text, up to MostHitsPerFile
    std::vector<SearchHit> Lines;  // with KeepLines, those lines in listing order
    // A fault (anything but memory running out for this file) on the
    // worker: rethrown to the taker, for its front's guard.
    std::exception_ptr Escaped;
};

// Searches the listing of the parse `session` keeps, into `file` (its Hits
// and Lines); leaves it early once `stop` turns true.
void SearchListing(const Session& session, const SearchQuery& query, SearchedFile& file,
                   const std::atomic<bool>* stop = nullptr);

class FileSearch {
public:
    // Opens file `index` of the search into a session of its own. The
    // default opens the source's path; a source with a walk problem is
    // a folder that could not be read.
    using Opener = std::function<OpenResult(Session& session, std::size_t index)>;
    using Ready = OrderedJobs<SearchedFile>::Ready;

    // Starts reading `files` at once on `jobs` threads (0: one per
    // processor). `ready` and `waiting` (files searched that may wait to
    // be taken): see OrderedJobs.
    FileSearch(std::vector<Source> files, SearchQuery query, unsigned jobs = 0, Ready ready = {},
               Opener open = {}, std::size_t waiting = 0);
    ~FileSearch();
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;

    // The next file in order if it has been searched, without waiting. A
    // fault met while it was searched is rethrown here.
    [[nodiscard]] std::optional<SearchedFile> TakeReady() { return Handed(jobs_.TryTake()); }
    // The next file in order, waiting for it; a fault as TakeReady.
    [[nodiscard]] std::optional<SearchedFile> Take() { return Handed(jobs_.Take()); }
    // Stops early: no file is opened any more, the files being searched
    // are left at their next line, and nothing more is handed over. Safe
    // from any thread.
    void Stop() noexcept;
    // Every file taken, or stopped.
    [[nodiscard]] bool Done() const { return jobs_.Done(); }

    [[nodiscard]] const std::vector<Source>& Files() const noexcept { return files_; }

private:
    [[nodiscard]] SearchedFile Search(std::size_t index) const noexcept;
    [[nodiscard]] static std::optional<SearchedFile> Handed(std::optional<SearchedFile> file);

    const std::vector<Source> files_;
    const SearchQuery query_;
    const Opener open_;
    std::atomic<bool> stop_{false};
    OrderedJobs<SearchedFile> jobs_;  // last: its workers start once the rest is set
};

}  // namespace vaveze
