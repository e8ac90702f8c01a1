// The search of many files: each listing searched line by line, the files on worker threads.
#include "core/session/search.h"

#include <new>
#include <utility>

#include "core/session/find.h"
#include "core/text/cp932.h"

namespace vaveze {
namespace {

// Decodes each line as the pane shows it and keeps those that hold the
// needle; refuses the next line once stopped or once the file has given
// the hits asked for, which ends the listing there.
class HitSink final : public LineSink {
public:
    HitSink(const SearchQuery& query, SearchedFile& file, const std::atomic<bool>* stop)
        : query_(query), file_(file), stop_(stop)
    {
    }

    void Clear() override
    {
        line_ = 0;
        file_.Hits = 0;
        file_.Lines.clear();
    }

    void SetKind(LineKind kind, std::int32_t block) override
    {
        kind_ = kind;
        block_ = block;
    }

    [[nodiscard]] bool Append(std::string_view line) override
    {
        if (stop_ != nullptr && stop_->load(std::memory_order_relaxed))
            return false;
        ++line_;
        decoded_.resize(line.size());
        const DecodedLength decoded = DecodeCp932Into(line, ControlBytes::AsRawByte, decoded_.data());
        const std::optional<TextMatch> match =
            FindInText(std::u16string_view(decoded_.data(), decoded.Units), query_.Needle, 0, FindDirection::Forward);
        if (!match)
            return true;
        ++file_.Hits;
        if (query_.KeepLines)
            file_.Lines.push_back({line_, kind_, block_, std::string(line), match->Position, match->Length});
        return query_.MostHitsPerFile == 0 || file_.Hits < query_.MostHitsPerFile;
    }

private:
    const SearchQuery& query_;
    SearchedFile& file_;
    const std::atomic<bool>* stop_;
    std::size_t line_ = 0;
    LineKind kind_ = LineKind::Text;
    std::int32_t block_ = kNoBlock;
    std::u16string decoded_;
};

OpenResult OpenSource(Session& session, const Source& source)
{
    return source.WalkProblem.empty() ? session.Open(source.Path) : NotWalked(source);
}

}  // namespace

void SearchListing(const Session& session, const SearchQuery& query, SearchedFile& file,
                   const std::atomic<bool>* stop)
{
    if (query.Needle.empty())
        return;
    HitSink sink(query, file, stop);
    (void)session.List(query.Listing, sink);  // a refused line only ends the search of this file
}

FileSearch::FileSearch(std::vector<Source> files, SearchQuery query, unsigned jobs, Ready ready, Opener open,
                       std::size_t waiting)
    : files_(std::move(files)),
      query_(std::move(query)),
      open_(std::move(open)),
      jobs_(files_.size(), jobs != 0 ? jobs : ProcessorCount(), [this](std::size_t i) { return Search(i); },
            std::move(ready), waiting)
{
}

FileSearch::~FileSearch() { Stop(); }

void FileSearch::Stop() noexcept
{
    stop_ = true;
    jobs_.Stop();
}

SearchedFile FileSearch::Search(std::size_t index) const noexcept
{
    SearchedFile file;
    file.Index = index;
    if (stop_)
        return file;
    try {
        Session session;
        file.Opened = open_ ? open_(session, index) : OpenSource(session, files_[index]);
        if (file.Opened.Listed())
            SearchListing(session, query_, file, &stop_);
    } catch (const std::bad_alloc&) {
        // A file too large for the memory left: said of it, and the search
        // goes on with the next.
        file = SearchedFile{};
        file.Index = index;
        file.Opened.Path = files_[index].Path;
        file.Opened.Reason = NotListedReason::TooLarge;
    } catch (...) {
        file = SearchedFile{};
        file.Index = index;
        file.Escaped = std::current_exception();
    }
    return file;
}

std::optional<SearchedFile> FileSearch::Handed(std::optional<SearchedFile> file)
{
    if (file && file->Escaped)
        std::rethrow_exception(file->Escaped);
    return file;
}

}  // namespace vaveze
