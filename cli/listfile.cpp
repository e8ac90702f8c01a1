#include "cli/listfile.h"

#include <cerrno>
#include <exception>
#include <new>
#include <system_error>
#include <utility>

#include "cli/jsonlines.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/platform.h"
#include "cli/status.h"
#include "core/listing/encoded.h"
#include "core/session/texts.h"
#include "core/writing/filewriting.h"

namespace vaveze::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kStandardOutput = 1;

std::string SystemText(int error) { return std::generic_category().message(error); }

// Bytes of standard input go by a backup's name: their format is decided
// by their first bytes alone.
const std::filesystem::path kStandardInputAsBackup = "-.bak";

// Keeps the parse of a file listed, or says why it was not.
void Take(std::unique_ptr<Session> session, const OpenResult& result, const Source& source,
          const RunSettings& settings, Prepared& prepared)
{
    prepared.Status = !result.Listed() ? kExitNotRecognised : result.Partial() ? kExitPartial : kExitOk;
    prepared.Reason = ReasonText(source, result, settings);
    if (!result.Listed())
        return;
    if (!result.Skipped.empty()) {
        prepared.Salvaged = SalvageSummary(session->SalvagedLines(settings.Listing), result.Skipped.size(),
                                           MessageLanguage());
        prepared.Skipped = result.Skipped;
    }
    prepared.Listed = std::move(session);
}

OpenResult OpenStandardInput(StandardInput& input, Session& session, ReadMode mode)
{
    OpenResult unread;
    unread.Path = kStandardInputAsBackup;
    if (input.Error != 0) {
        unread.Reason = NotListedReason::ReadError;
        unread.SystemMessage = SystemText(input.Error);
    } else if (input.TooLarge) {
        unread.Reason = NotListedReason::TooLarge;
    } else {
        OpenResult result = session.OpenBytes(input.Bytes, kStandardInputAsBackup, mode);
        std::string().swap(input.Bytes);  // the parse holds what it needs
        return result;
    }
    return unread;
}

// Detects and parses; the status is kExitOk, kExitPartial or kExitNotRecognised.
void Parse(const Source& source, const RunSettings& settings, StandardInput* input, Prepared& prepared)
{
    auto session = std::make_unique<Session>();
    const OpenResult result = OpenSource(source, input, *session, ModeOf(settings));
    Take(std::move(session), result, source, settings, prepared);
}

int WriteToStandardOutput(std::string_view bytes) { return platform::WriteAll(kStandardOutput, bytes); }

void Save(const Target& target, const RunSettings& settings, Prepared& prepared)
{
    std::error_code ec;
    if (const fs::path folder = target.Path.parent_path(); !folder.empty())
        fs::create_directories(folder, ec);  // a failure shows when the file is made
    const int error = SaveThrough(target.Path, [&](EncodedSink::Writer write) {
        EncodedSink sink(std::move(write), settings.Utf8);
        (void)prepared.Listed->List(settings.Listing, sink);  // stops only on a failed write
        prepared.Lines = sink.Lines();
        return sink.Finish();
    });
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

// A message about a file, with what a salvage reading found in it.
std::string WithSalvage(std::string message, const Prepared& prepared)
{
    return prepared.Salvaged.empty() ? message : Fill(Tr("%1; %2"), {message, prepared.Salvaged});
}

std::string SavedLine(const Target& target, const Prepared& prepared)
{
    std::string text = Fill(TrN("listed in %2 (%1 line)", "listed in %2 (%1 lines)", prepared.Lines),
                            {std::to_string(prepared.Lines), platform::Utf8FromPath(target.Path)});
    if (target.TakenPlainName)
        text += Fill(Tr("; %1 is taken by another file of this run"), {platform::Utf8FromPath(*target.TakenPlainName)});
    if (prepared.Status == kExitPartial)
        text += Fill(Tr("; %1, what was read is listed"), {prepared.Reason});
    if (!prepared.Salvaged.empty())
        text += Fill(Tr("; %1"), {prepared.Salvaged});
    return text;
}

}  // namespace

ReadMode ModeOf(const RunSettings& settings)
{
    return settings.Listing.Salvage ? ReadMode::Salvage : ReadMode::Ordinary;
}

OpenResult OpenSource(const Source& source, StandardInput* input, Session& session, ReadMode mode)
{
    if (input != nullptr)
        return OpenStandardInput(*input, session, mode);
    return source.WalkProblem.empty() ? session.Open(source.Path, mode) : NotWalked(source);
}

std::string ReasonText(const Source& source, const OpenResult& result, const RunSettings& settings)
{
    const bool standardInput = source.Path == kStandardInputName;
    if (result.Partial())
        return StopText(result.Outcome, MessageLanguage());
    if (result.Listed())
        return {};
    if (standardInput && result.Reason == NotListedReason::NotAnyFormat)
        return Tr("not a ZVW, ZVS, ZVC or ZVK file: it starts as none of them");
    if (standardInput && result.Reason == NotListedReason::TooLarge)
        return Tr("holds more than 1 GiB, the most read from standard input: name the file instead");
    std::string reason = NotListedReasonText(result, MessageLanguage());
    if (result.Reason == NotListedReason::Folder && !settings.Recursive)
        reason = Fill(Tr("%1; use -r to list the files of a folder"), {reason});
    return reason;
}

StandardInput ReadStandardInput()
{
    StandardInput input;
    try {
        input.Error = platform::ReadStandardInput(input.Bytes, kStandardInputLimit + 1);
        input.TooLarge = input.Bytes.size() > kStandardInputLimit;
    } catch (const std::bad_alloc&) {
        input.TooLarge = true;
    }
    if (input.TooLarge)
        std::string().swap(input.Bytes);
    return input;
}

Prepared PrepareFile(const Source& source, const Target* target, const RunSettings& settings,
                     StandardInput* input) noexcept
{
    Prepared prepared;
    try {
        Parse(source, settings, input, prepared);
        if (target != nullptr && prepared.Listed) {
            Save(*target, settings, prepared);
            prepared.Listed.reset();
        } else if (settings.FailedNames) {
            prepared.Listed.reset();  // only its name may be written
        }
    } catch (const std::bad_alloc&) {
        // A file too large for the memory left: said of it, and the run
        // goes on with the next.
        prepared = Prepared{};
        prepared.Status = kExitNotRecognised;
        prepared.Reason = Tr("not enough memory to read it");
    } catch (...) {
        // For the guard of the tool's main thread, which takes the result.
        prepared = Prepared{};
        prepared.Escaped = std::current_exception();
    }
    return prepared;
}

namespace {

// Lists the parse to standard output; 0, or the errno of a failed write.
int ListToStandardOutput(const Source& source, const Session& parse, const RunSettings& settings)
{
    if (settings.Json) {
        JsonLinesSink sink(WriteToStandardOutput, platform::Utf8FromPath(source.Path), settings.Listing.Salvage);
        (void)parse.List(settings.Listing, sink);
        sink.AddSkipped(parse.Shown().Skipped);
        return sink.Finish();
    }
    EncodedSink sink(WriteToStandardOutput, settings.Utf8,
                     settings.PathPrefix ? PathPrefix(source.Path, settings.Utf8) : std::string());
    (void)parse.List(settings.Listing, sink);
    return sink.Finish();
}

}  // namespace

int FinishFile(const Source& source, const Target* target, Prepared& prepared, const RunSettings& settings,
               Tally& tally, ProgressLine& progress, StandardOutput& output)
{
    if (prepared.Escaped)
        std::rethrow_exception(prepared.Escaped);
    {
        const std::string name = platform::Utf8FromPath(source.Path);
        // A message takes the progress line's place; it comes back at the
        // next redraw. -s leaves out all but a failed write's.
        const auto SayAbout = [&progress](std::string_view file, std::string_view reason) {
            progress.Hide();
            cli::SayAbout(file, reason);
        };
        const auto Mention = [&](std::string_view file, std::string_view reason) {
            if (!settings.NoMessages)
                SayAbout(file, reason);
        };
        // With --failed nothing is listed to standard output.
        const bool listing = target == nullptr && !settings.FailedNames;
        if (prepared.Status == kExitNotRecognised)
            Mention(name, prepared.Reason);
        else if (prepared.Status == kExitWriteError && target != nullptr)
            SayAbout(platform::Utf8FromPath(target->Path),
                     Fill(Tr("the listing of %1 could not be written: %2"), {name, prepared.WriteFailure}));
        else if (target != nullptr && !settings.Quiet)
            Mention(name, SavedLine(*target, prepared));
        else if (prepared.Status == kExitPartial)
            Mention(name, WithSalvage(target == nullptr && !listing
                                          ? prepared.Reason
                                          : Fill(Tr("%1, what was read is listed"), {prepared.Reason}),
                                      prepared));
        else if (!prepared.Salvaged.empty())  // read to its end, yet out of step with its records somewhere
            Mention(name, Fill(Tr("damaged: %1"), {prepared.Salvaged}));
        const auto outputFailed = [&](int error) {
            output.Error = error;
            prepared.Status = kExitWriteError;
            // A closed pipe is the reader's choice (head, grep -q): said by
            // the status alone, as a shell's pipeline stops at it.
            if (error != EPIPE)
                SayAbout(Tr("standard output"), SystemText(error));
        };
        if (prepared.Listed && settings.Table != nullptr) {
            // A table that cannot be written is said once, for the run.
            settings.Table->StartFile(source.Path);
            (void)prepared.Listed->List(settings.Listing, *settings.Table);
            prepared.Listed.reset();
            if (settings.Table->Error() != 0)
                prepared.Status = kExitWriteError;
        } else if (prepared.Listed) {
            const int error = ListToStandardOutput(source, *prepared.Listed, settings);
            prepared.Listed.reset();
            if (error != 0)
                outputFailed(error);
        }
        if (settings.FailedNames && prepared.Status != kExitOk && !output.Failed()) {
            if (const int error = WriteToStandardOutput(name + '\n'); error != 0)
                outputFailed(error);
        }
    }
    Count(prepared.Status, tally);
    progress.Advance(source.Size);
    return prepared.Status;
}

}  // namespace vaveze::cli
