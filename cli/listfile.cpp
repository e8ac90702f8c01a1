#include "cli/listfile.h"

#include <system_error>

#include "cli/messages.h"
#include "cli/platform.h"
#include "cli/status.h"
#include "core/listing/encoded.h"
#include "core/session/texts.h"
#include "core/writing/FileWriting.h"

namespace vaveze::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kStandardOutput = 1;

std::string SystemText(int error) { return std::generic_category().message(error); }

// Detects and parses; the status is kExitOk, kExitPartial or kExitNotRecognised.
void Parse(const Source& source, Prepared& prepared)
{
    if (!source.WalkProblem.empty()) {
        prepared.Status = kExitNotRecognised;
        prepared.Reason = source.WalkProblem;
        return;
    }
    auto session = std::make_unique<Session>();
    const OpenResult& result = session->Open(source.Path);
    if (!result.Listed()) {
        prepared.Status = kExitNotRecognised;
        prepared.Reason = NotListedReasonText(result, MessageLanguage());
        return;
    }
    if (result.Partial()) {
        prepared.Status = kExitPartial;
        prepared.Reason = StopText(result.Outcome, MessageLanguage());
    }
    prepared.Listed = std::move(session);
}

void Save(const Target& target, const RunSettings& settings, Prepared& prepared)
{
    std::error_code ec;
    if (const fs::path folder = target.Path.parent_path(); !folder.empty())
        fs::create_directories(folder, ec);  // a failure shows when the file is made
    PendingFile file(target.Path);
    int error = file.Error();
    if (error == 0) {
        EncodedSink sink([&file](std::string_view bytes) { return WriteAll(file.Descriptor(), bytes); }, settings.Utf8);
        (void)prepared.Listed->List(settings.Listing, sink);  // stops only on a failed write
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
                            {std::to_string(prepared.Lines), platform::Utf8FromPath(target.Path)});
    if (target.TakenPlainName)
        text += Fill(Tr("; %1 is taken by another file of this run"), {platform::Utf8FromPath(*target.TakenPlainName)});
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
        if (target != nullptr && prepared.Listed) {
            Save(*target, settings, prepared);
            prepared.Listed.reset();
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
        const std::string name = platform::Utf8FromPath(source.Path);
        // A message takes the progress line's place; it comes back at the next redraw.
        const auto SayAbout = [&progress](std::string_view file, std::string_view reason) {
            progress.Hide();
            cli::SayAbout(file, reason);
        };
        if (target != nullptr) {
            if (prepared.Status == kExitNotRecognised)
                SayAbout(name, prepared.Reason);
            else if (prepared.Status == kExitWriteError)
                SayAbout(platform::Utf8FromPath(target->Path), Fill(Tr("the listing of %1 could not be written: %2"),
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
            if (prepared.Listed) {
                EncodedSink sink([](std::string_view bytes) { return platform::WriteAll(kStandardOutput, bytes); },
                                 settings.Utf8,
                                 settings.PathPrefix ? PathPrefix(source.Path, settings.Utf8) : std::string());
                (void)prepared.Listed->List(settings.Listing, sink);
                prepared.Listed.reset();
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
