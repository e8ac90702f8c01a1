#include "cli/listfile.h"

#include <system_error>

#include "cli/messages.h"
#include "cli/output.h"
#include "cli/platform.h"
#include "cli/status.h"
#include "core/session/texts.h"

namespace vaveze::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kStandardOutput = 1;

std::string SystemText(int error) { return std::generic_category().message(error); }

// Why a file could not be read at all.
std::string FileProblemText(const Detection& detection)
{
    switch (detection.Problem) {
    case FileProblem::NotFound:
        return Tr("no such file");
    case FileProblem::NoPermission:
        return Tr("no permission to read it");
    case FileProblem::IsFolder:
        return Tr("is a folder");
    case FileProblem::NotRegularFile:
        return Tr("is not a regular file (a FIFO, device or socket), so it was not opened");
    case FileProblem::Empty:
        return Tr("is empty");
    case FileProblem::TooLarge:
        return Tr("is too large to be read into memory");
    case FileProblem::ReadError:
    case FileProblem::None:
        break;
    }
    return detection.SystemMessage.empty() ? std::string(Tr("could not be read"))
                                           : Fill(Tr("could not be read: %1"), {detection.SystemMessage});
}

// Why a readable file is not listed, by what its name promised.
std::string NotRecognised(const fs::path& path, const Detection& detection)
{
    if (detection.Warning != WarningKind::None)
        return std::string(WarningText(detection.Warning));  // the window's warning, word for word
    const std::string ext = UpperExtension(path);
    if (ext == ".ZVC")
        return Tr("not a ZVC drawing file: it does not start as one");
    if (ext == ".ZVK")
        return Tr("not a ZVK symbol file: it does not start as one");
    if (IsDrawingName(path))
        return Tr("not a backup of a ZVW, ZVS, ZVC or ZVK file: it starts as none of them");
    return Tr("not a drawing or symbol file: the name does not end in .zvw, .zvs, .zvc, .zvk or a backup's extension");
}

// Where and why the parse stopped: the core's own sentence in English, the
// catalogue's built from the same parts in another language.
std::string Partial(const ParseOutcome& outcome)
{
    const char* pattern = nullptr;
    switch (outcome.Reason) {
    case StopReason::EndsEarly:
        pattern = outcome.Record.empty() ? "the file ends at byte %1" : "the file ends at byte %1 inside the %2";
        break;
    case StopReason::UnsupportedVersion:
        pattern = "version not supported, at byte %1 in the %2";
        break;
    case StopReason::ImpossibleSize:
        pattern = "a declared count or size that cannot be right for this file, at byte %1 in the %2";
        break;
    case StopReason::NumberOverflow:
        pattern = "a number beyond the single-precision range, at byte %1 in the %2";
        break;
    case StopReason::OutOfMemory:
        pattern = "out of memory, at byte %1 in the %2";
        break;
    case StopReason::None:
        return {};
    }
    const char* translated = Tr(pattern);
    if (translated == pattern || (outcome.Record.empty() && outcome.Reason != StopReason::EndsEarly))
        return DescribeStop(outcome);
    const std::string record(outcome.Record);
    return Fill(translated, {GroupThousands(outcome.Offset), Tr(record.c_str())});
}

// Detects and parses; the status is kExitOk, kExitPartial or kExitNotRecognised.
void Parse(const Source& source, Prepared& prepared)
{
    if (!source.WalkProblem.empty()) {
        prepared.Status = kExitNotRecognised;
        prepared.Reason = source.WalkProblem;
        return;
    }
    prepared.Tables = std::make_unique<Readers>();
    const Detection detection = DetectAndParse(*prepared.Tables, source.Path, RecordsKept::TextsOnly);
    prepared.Kind = detection.Kind;
    if (detection.Kind == FormatKind::None) {
        prepared.Status = kExitNotRecognised;
        prepared.Reason = detection.Problem != FileProblem::None ? FileProblemText(detection)
                                                                 : NotRecognised(source.Path, detection);
        prepared.Tables.reset();
    } else if (!detection.Outcome.Complete()) {
        prepared.Status = kExitPartial;
        prepared.Reason = Partial(detection.Outcome);
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
