// Every listing of a file list saved beside its source, a file per step.
#include "core/session/batchsave.h"

#include <exception>
#include <new>
#include <system_error>
#include <tuple>
#include <utility>

#include "core/listing/encoded.h"
#include "core/session/session.h"
#include "core/writing/filewriting.h"

namespace vaveze {
namespace {

std::vector<Source> SourcesOf(const FileList& list)
{
    std::vector<Source> sources;
    sources.reserve(list.Size());
    for (const ListedFile& file : list.Files())
        sources.push_back(file.Where);
    return sources;
}

// An open that ran out of memory, as the list shows it.
OpenResult OutOfMemory(const std::filesystem::path& path)
{
    OpenResult result;
    result.Path = path;
    result.Reason = NotListedReason::TooLarge;
    return result;
}

// Lists the parse into `writer`; the lines, and 0 or the errno of the
// first failed write.
std::pair<std::size_t, int> Encode(const Session& session, const ListingOptions& options,
                                   EncodedSink::Writer writer)
{
    EncodedSink sink(std::move(writer), false);
    (void)session.List(options, sink);  // stops only on a failed write
    const int error = sink.Finish();
    return {sink.Lines(), error};
}

}  // namespace

BatchSave::BatchSave(FileList& list, const ListingOptions& options, std::vector<std::size_t> only)
    : list_(list), options_(options), targets_(SettleTargets(SourcesOf(list), std::nullopt)), order_(std::move(only))
{
    if (order_.empty()) {
        order_.resize(list_.Size());
        for (std::size_t i = 0; i < order_.size(); ++i)
            order_[i] = i;
    }
}

void BatchSave::Begin()
{
    for (const std::size_t i : order_)
        list_.RecordSave(i, SaveState::NotSaved, {}, 0);
}

std::size_t BatchSave::ExistingTargets() const
{
    std::size_t existing = 0;
    for (const std::size_t i : order_) {
        const Target& target = targets_[i];
        std::error_code ec;
        if (!target.Path.empty() && std::filesystem::exists(target.Path, ec))
            ++existing;
    }
    return existing;
}

std::size_t BatchSave::SaveNext()
{
    const std::size_t i = order_[position_++];
    const ListedFile& file = list_[i];
    const Target& target = targets_[i];
    if (!file.Where.WalkProblem.empty())
        return i;
    try {
        Session session;
        const OpenResult& opened = session.Open(file.Where.Path);
        list_.Record(i, opened);
        if (!opened.Listed())
            return i;
        std::size_t lines = 0;
        const int error = SaveThrough(target.Path, [&](EncodedSink::Writer write) {
            int failed = 0;
            std::tie(lines, failed) = Encode(session, options_, std::move(write));
            return failed;
        });
        if (error == 0)
            list_.RecordSave(i, SaveState::Saved, target.Path, lines);
        else
            list_.RecordSave(i, SaveState::NotWritten, target.Path, lines, WritingErrorText(error));
    } catch (const std::bad_alloc&) {
        // A file too large for the memory left: its entry says so, and the
        // batch goes on with the next. Any other fault is the front's guard's.
        list_.Record(i, OutOfMemory(file.Where.Path));
    }
    return i;
}

std::size_t BatchSave::ListNext(std::string_view fileBytes, std::string& listing)
{
    const std::size_t i = order_[position_++];
    listing.clear();
    const ListedFile& file = list_[i];
    if (!file.Where.WalkProblem.empty())
        return i;
    try {
        Session session;
        const OpenResult& opened = session.OpenBytes(fileBytes, file.Where.Path);
        list_.Record(i, opened);
        if (!opened.Listed())
            return i;
        const std::size_t lines = Encode(session, options_, [&listing](std::string_view bytes) {
                                      listing.append(bytes);
                                      return 0;
                                  }).first;
        list_.RecordSave(i, SaveState::Saved, targets_[i].Path, lines);
    } catch (const std::bad_alloc&) {
        listing.clear();
        list_.Record(i, OutOfMemory(file.Where.Path));
    }
    return i;
}

void BatchSave::NotWritten(std::size_t index, std::string failure)
{
    const ListedFile& file = list_[index];
    list_.RecordSave(index, SaveState::NotWritten, targets_.at(index).Path, file.SavedLines, std::move(failure));
}

std::size_t BatchSave::NotRead(const OpenResult& opened)
{
    const std::size_t i = order_[position_++];
    list_.Record(i, opened);
    return i;
}

BatchSummary BatchSave::Summary() const
{
    BatchSummary summary;
    for (std::size_t done = 0; done < position_; ++done) {
        const ListedFile& file = list_[order_[done]];
        if (file.State == FileState::NotRecognised)
            ++summary.NotRecognised;
        else if (file.Save == SaveState::NotWritten)
            ++summary.NotWritten;
        else if (file.State == FileState::Partial)
            ++summary.SavedInPart;
        else
            ++summary.Saved;
    }
    summary.NotReached = order_.size() - position_;
    return summary;
}

}  // namespace vaveze
