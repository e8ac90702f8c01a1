// The search behind the file list's field and the lines it found.
#include "core/window/hitlist.h"

#include <utility>

#include "core/session/session.h"
#include "core/text/cp932.h"
#include "core/window/windowtable.h"

namespace vaveze::window {

HitList::~HitList() = default;

void HitList::Start(const FileList& files, std::u16string needle, const ListingOptions& options, bool parallel)
{
    Stop();
    search_.reset();
    ++number_;
    needle_ = std::move(needle);
    hits_.clear();
    done_ = holding_ = hitCount_ = 0;
    stopped_ = false;
    count_ = needle_.empty() ? 0 : files.Size();
    running_ = count_ > 0;
    query_ = SearchQuery{needle_, options, 0, true};
    if (!running_ || !parallel)
        return;
    std::vector<Source> sources;
    sources.reserve(files.Size());
    for (const ListedFile& file : files.Files())
        sources.push_back(file.Where);
    // The ready callback does nothing: the flow takes what is ready on its
    // timer ticks (given one, every job runs on a worker of its own), and
    // meanwhile the workers go on for two ticks' worth of files.
    search_ = std::make_unique<FileSearch>(std::move(sources), query_, 0, [] {}, FileSearch::Opener(),
                                           2 * kMostFilesPerTake);
}

void HitList::Stop()
{
    if (search_)
        search_->Stop();
    if (running_) {
        stopped_ = done_ < count_;
        running_ = false;
    }
}

void HitList::Clear()
{
    Stop();
    search_.reset();
    ++number_;
    needle_.clear();
    hits_.clear();
    count_ = done_ = holding_ = hitCount_ = 0;
    stopped_ = false;
}

std::vector<SearchedFile> HitList::TakeReady(std::size_t most)
{
    std::vector<SearchedFile> taken;
    while (running_ && search_ && taken.size() < most) {
        std::optional<SearchedFile> file = search_->TakeReady();
        if (!file)
            break;
        taken.push_back(std::move(*file));
    }
    return taken;
}

std::optional<std::size_t> HitList::NextToRead() const
{
    if (!running_ || search_ || done_ >= count_)
        return std::nullopt;
    return done_;
}

SearchedFile HitList::SearchBytes(std::size_t index, std::string_view bytes, const std::filesystem::path& path,
                                  const std::string& failure) const
{
    SearchedFile file;
    file.Index = index;
    Session session;
    file.Opened = failure.empty() ? session.OpenBytes(bytes, path) : session.NotRead(path, failure);
    if (file.Opened.Listed())
        SearchListing(session, query_, file);
    return file;
}

void HitList::Take(const SearchedFile& file)
{
    if (!running_)
        return;
    ++done_;
    holding_ += file.Hits > 0 ? 1 : 0;
    hitCount_ += file.Hits;
    for (const SearchHit& line : file.Lines) {
        if (hits_.size() >= kMostHitsKept)
            break;
        // Decoded as the pane decodes it, so that the match's place is the
        // same in the row and in the pane.
        hits_.push_back({file.Index, line.Line, DecodeCp932(line.Bytes, ControlBytes::AsRawByte).Text,
                         line.Position, line.Length});
    }
    if (done_ >= count_)
        Finish();
}

void HitList::Finish()
{
    running_ = false;
    search_.reset();
}

SearchProgress HitList::Progress() const noexcept
{
    return {running_, stopped_, done_, count_, holding_, hitCount_, hits_.size()};
}

}  // namespace vaveze::window
