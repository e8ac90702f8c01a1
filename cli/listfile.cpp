#include "cli/listfile.h"

#include <system_error>

#include "cli/messages.h"
#include "cli/output.h"
#include "cli/platform.h"
#include "cli/status.h"

namespace vaveze::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kStandardOutput = 1;

std::string SystemText(int error) { return std::generic_category().message(error); }

// Why a file cannot be read at all, or empty when it can.
// TODO(read-once): take the reason from the core's detection.
std::string Unreadable(const fs::path& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec == std::errc::no_such_file_or_directory)
        return Tr("no such file");
    if (ec == std::errc::permission_denied)
        return Tr("no permission to read it");
    if (ec)
        return Fill(Tr("cannot be read: %1"), {ec.message()});
    if (fs::is_directory(status))
        return Tr("is a folder");
    if (!fs::is_regular_file(status))
        return Tr("is not a regular file (a FIFO, device or socket), so it was not opened");
    if (fs::file_size(path, ec) == 0 && !ec)
        return Tr("is empty");
    return {};
}

// Why a readable file is not listed, by what its name promised.
std::string NotRecognised(const fs::path& path, const Detection& detection)
{
    if (!detection.Warning.empty())
        return std::string(detection.Warning);  // the window's warning, word for word
    const std::string ext = UpperExtension(Utf8(path.filename()));
    if (ext == ".ZVC")
        return Tr("not a ZVC drawing file: it does not start as one");
    if (ext == ".ZVK")
        return Tr("not a ZVK symbol file: it does not start as one");
    if (IsDrawingName(path))
        return Tr("not a backup of a ZVW, ZVS, ZVC or ZVK file: it starts as none of them");
    return Tr("not a drawing or symbol file: the name does not end in .zvw, .zvs, .zvc, .zvk or a backup's extension");
}

// Why the listing is partial.
std::string Partial(const Detection&) { return Tr("the file could not be read to its end"); }

// Detects and parses; the status is kExitOk, kExitPartial or kExitNotRecognised.
void Parse(const Source& source, Prepared& prepared)
{
    if (!source.WalkProblem.empty()) {
        prepared.Status = kExitNotRecognised;
        prepared.Reason = source.WalkProblem;
        return;
    }
    if (std::string problem = Unreadable(source.Path); !problem.empty()) {
        prepared.Status = kExitNotRecognised;
        prepared.Reason = std::move(problem);
        return;
    }
    prepared.Tables = std::make_unique<Readers>();
    const Detection detection = DetectAndParse(*prepared.Tables, source.Path.string());
    prepared.Kind = detection.Kind;
    if (detection.Kind == FormatKind::None) {
        prepared.Status = kExitNotRecognised;
        prepared.Reason = NotRecognised(source.Path, detection);
        prepared.Tables.reset();
    } else if (!detection.ParsedToEnd) {
        prepared.Status = kExitPartial;
        prepared.Reason = Partial(detection);
    }
}

void Save(const Target& target, const RunSettings& settings, Prepared& prepared)
{
    std::error_code ec;
    if (const fs::path folder = target.Path.parent_path(); !folder.empty())
        fs::create_directories(folder, ec);  // a failure shows when the file is made
    platform::PendingFile file(Utf8(target.Path));
    int error = file.Error();
    if (error == 0) {
        EncodedSink sink(file.Descriptor(), settings.Utf8);
        (void)ListFormat(prepared.Kind, *prepared.Tables, settings.Listing, sink);  // stops only on a failed write
        prepared.Lines = sink.Lines();
        error = sink.Finish();
        if (error == 0)
            error = file.Commit();
    }
    if (error != 0) {
        prepared.Status = kExitWriteError;
        prepared.WriteFailure = SystemText(error);
    }
}

void Count(int status, Tally& tally)
{
    switch (status) {
    case kExitOk:
        ++tally.Complete;
        break;
    case kExitPartial:
        ++tally.Partial;
        break;
    case kExitNotRecognised:
        ++tally.NotRecognised;
        break;
    default:
        ++tally.WriteFailed;
        break;
    }
}

std::string SavedLine(const Target& target, const Prepared& prepared)
{
    std::string text = Fill(TrN("listed in %2 (%1 line)", "listed in %2 (%1 lines)", prepared.Lines),
                            {std::to_string(prepared.Lines), Utf8(target.Path)});
    if (target.TakenPlainName)
        text += Fill(Tr("; %1 is taken by another file of this run"), {Utf8(*target.TakenPlainName)});
    if (prepared.Status == kExitPartial)
        text += Fill(Tr("; %1, what was read is listed"), {prepared.Reason});
    return text;
}

}  // namespace

Prepared PrepareFile(const Source& source, const Target* target, const RunSettings& settings) noexcept
{
    Prepared prepared;
    try {
        Parse(source, prepared);
        if (target != nullptr && prepared.Tables) {
            Save(*target, settings, prepared);
            prepared.Tables.reset();
        }
    } catch (const std::exception&) {
        prepared = Prepared{};
        prepared.Status = kExitNotRecognised;
        prepared.Reason = Tr("not enough memory to read it");
    }
    return prepared;
}

int FinishFile(const Source& source, const Target* target, Prepared& prepared, const RunSettings& settings,
               Tally& tally, ProgressLine& progress) noexcept
{
    try {
        const std::string name = Utf8(source.Path);
        // A message takes the progress line's place; it comes back at the next redraw.
        const auto SayAbout = [&progress](std::string_view file, std::string_view reason) {
            progress.Hide();
            cli::SayAbout(file, reason);
        };
        if (target != nullptr) {
            if (prepared.Status == kExitNotRecognised)
                SayAbout(name, prepared.Reason);
            else if (prepared.Status == kExitWriteError)
                SayAbout(Utf8(target->Path), Fill(Tr("the listing of %1 could not be written: %2"),
                                                  {name, prepared.WriteFailure}));
            else if (!settings.Quiet)
                SayAbout(name, SavedLine(*target, prepared));
            else if (prepared.Status == kExitPartial)
                SayAbout(name, Fill(Tr("%1, what was read is listed"), {prepared.Reason}));
        } else {
            if (prepared.Status == kExitPartial)
                SayAbout(name, Fill(Tr("%1, what was read is listed"), {prepared.Reason}));
            else if (prepared.Status == kExitNotRecognised)
                SayAbout(name, prepared.Reason);
            if (prepared.Tables) {
                EncodedSink sink(kStandardOutput, settings.Utf8,
                                 settings.PathPrefix ? PathPrefix(source.Path, settings.Utf8) : std::string());
                (void)ListFormat(prepared.Kind, *prepared.Tables, settings.Listing, sink);
                prepared.Tables.reset();
                if (const int error = sink.Finish(); error != 0) {
                    SayAbout(Tr("standard output"), SystemText(error));
                    prepared.Status = kExitWriteError;
                }
            }
        }
    } catch (const std::exception&) {
        prepared.Status = kExitWriteError;
    }
    Count(prepared.Status, tally);
    progress.Advance(source.Size);
    return prepared.Status;
}

}  // namespace vaveze::cli
