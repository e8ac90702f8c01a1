// A user's session: a file opened, its parse kept, listed with any options.
#include "core/session/session.h"

#include <utility>

#include "core/session/faults.h"
#include "core/session/walk.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;

NotListedReason ClaimedFormat(const fs::path& path)
{
    switch (ClassifyName(path)) {
    case NameClass::Zvw:
        return NotListedReason::NotZvw;
    case NameClass::Zvs:
        return NotListedReason::NotZvs;
    case NameClass::Zvc:
        return NotListedReason::NotZvc;
    case NameClass::Zvk:
        return NotListedReason::NotZvk;
    case NameClass::Backup:
        return NotListedReason::NotAnyFormat;
    case NameClass::Other:
        break;
    }
    return NotListedReason::UnknownName;
}

}  // namespace

NotListedReason ReasonOf(const Detection& detection, const fs::path& path)
{
    if (detection.Kind != FormatKind::None)
        return NotListedReason::None;
    switch (detection.Problem) {
    case FileProblem::None:
        break;
    case FileProblem::NotFound:
        return NotListedReason::NoFile;
    case FileProblem::NoPermission:
        return NotListedReason::NoPermission;
    case FileProblem::IsFolder:
        return NotListedReason::Folder;
    case FileProblem::NotRegularFile:
        return NotListedReason::NotRegularFile;
    case FileProblem::Empty:
        return NotListedReason::Empty;
    case FileProblem::TooLarge:
        return NotListedReason::TooLarge;
    case FileProblem::ReadError:
        return NotListedReason::ReadError;
    }
    return ClaimedFormat(path);
}

OpenResult NotWalked(const Source& source)
{
    OpenResult result;
    result.Path = source.Path;
    if (source.WalkError == std::errc::permission_denied || source.WalkError == std::errc::operation_not_permitted) {
        result.Reason = NotListedReason::NoPermission;
    } else if (source.WalkError == std::errc::no_such_file_or_directory) {
        result.Reason = NotListedReason::NoFile;
    } else {
        result.Reason = NotListedReason::ReadError;
        result.SystemMessage = source.WalkProblem;
    }
    return result;
}

OpenResult UnreadFile(const fs::path& path, std::string failure)
{
    OpenResult result;
    result.Path = path;
    result.Reason = NotListedReason::ReadError;
    result.SystemMessage = std::move(failure);
    return result;
}

Session::Session() = default;
Session::~Session() = default;

const OpenResult& Session::Open(const fs::path& path, ReadMode mode)
{
    FaultPoint();
    auto readers = std::make_unique<Readers>();
    Detection detection = DetectAndParse(*readers, path, RecordsKept::TextsOnly, mode);
    return Take(std::move(detection), std::move(readers), path, mode);
}

const OpenResult& Session::OpenBytes(std::string_view bytes, const fs::path& name, ReadMode mode)
{
    FaultPoint();
    auto readers = std::make_unique<Readers>();
    Detection detection = DetectAndParseBytes(*readers, name, bytes, RecordsKept::TextsOnly, mode);
    return Take(std::move(detection), std::move(readers), name, mode);
}

const OpenResult& Session::NotRead(const fs::path& path, std::string failure)
{
    chosen_ = UnreadFile(path, std::move(failure));
    return chosen_;
}

const OpenResult& Session::Salvage()
{
    if (!shown_.Listed() || shown_.Mode == ReadMode::Salvage)
        return shown_;
    const fs::path path = shown_.Path;
    return Open(path, ReadMode::Salvage);
}

const OpenResult& Session::Take(Detection detection, std::unique_ptr<Readers> readers, const fs::path& path,
                                ReadMode mode)
{
    OpenResult result;
    result.Path = path;
    result.Kind = detection.Kind;
    result.Outcome = detection.Outcome;
    result.Mode = mode;
    if (const SalvageResult* salvaged = SalvageOf(detection.Kind, *readers))
        result.Skipped = salvaged->Skipped;
    result.Warning = detection.Warning;
    result.Reason = ReasonOf(detection, path);
    result.SystemMessage = std::move(detection.SystemMessage);
    if (result.Listed()) {
        readers_ = std::move(readers);
        shown_ = result;
    }
    chosen_ = std::move(result);
    return chosen_;
}

bool Session::List(const ListingOptions& options, LineSink& sink) const
{
    FaultPoint();
    if (!readers_)
        return true;
    return ListFormat(shown_.Kind, *readers_, options, sink);
}

namespace {

// Counts the texts a listing holds after its salvaged lines start: its
// repeated headings are not texts found.
class SalvagedCount final : public LineSink {
public:
    void Clear() override { Lines = 0, counting_ = false; }
    void SetKind(LineKind kind, std::int32_t) override { heading_ = kind == LineKind::Heading; }
    void StartSalvaged() override { counting_ = true; }
    [[nodiscard]] bool Append(std::string_view) override
    {
        Lines += counting_ && !heading_ ? 1 : 0;
        return true;
    }
    std::size_t Lines = 0;

private:
    bool counting_ = false;
    bool heading_ = false;
};

}  // namespace

std::size_t Session::SalvagedLines(ListingOptions options) const
{
    options.Salvage = true;
    SalvagedCount count;
    (void)List(options, count);
    return count.Lines;
}

const PaneListing& Session::ListForPane(const ListingOptions& options, std::size_t characterLimit)
{
    PaneListing pane(characterLimit);
    (void)List(options, pane);  // a full pane says so itself
    pane_ = std::move(pane);
    return pane_;
}

SavedText Session::PaneToBytes(std::u16string_view paneText) const { return PaneBytes(pane_, paneText); }

fs::path Session::ProposedSavePath() const
{
    const fs::path& source = shown_.Listed() ? shown_.Path : chosen_.Path;
    if (source.empty())
        return {};
    return source.parent_path() / ProposedTextName(source);
}

void Session::Close() noexcept
{
    readers_.reset();
    chosen_ = {};
    shown_ = {};
    pane_ = PaneListing();
}

}  // namespace vaveze
