// vaveze-list: writes the text listing of drawing and symbol files, exactly
// as the window saves it, for scripts and batch work: one file, a list of
// files, or whole folder trees, to standard output or saved as .txt files.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/grep.h"
#include "cli/listfile.h"
#include "cli/messages.h"
#include "core/session/naming.h"
#include "cli/options.h"
#include "cli/platform.h"
#include "cli/progress.h"
#include "cli/status.h"
#include "core/session/texts.h"
#include "core/session/encoding.h"
#include "core/session/faults.h"
#include "core/session/orderedjobs.h"
#include "core/session/walk.h"
#include "core/writing/filewriting.h"

namespace {

using namespace vaveze;
using namespace vaveze::cli;

LocaleVariables Locale()
{
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::string_view(value) : std::string_view();
    };
    return {variable("LC_ALL"), variable("LC_CTYPE"), variable("LANG")};
}

unsigned JobCount(const Options& options) { return options.Jobs != 0 ? options.Jobs : ProcessorCount(); }

// Writes one table of every listing into `path` ("-": standard output),
// replacing a file there only once complete: `fill` lists every file into
// settings.Table and gives 0, or the errno of a failed write. Shift-JIS
// unless UTF-8 is asked for, or the table goes where characters are shown.
template <class Fill>
int WriteTable(const std::filesystem::path& path, RunSettings& settings, std::optional<TextEncoding> asked, Fill fill)
{
    if (path != kStandardInputName) {
        const bool utf8 = asked == TextEncoding::Utf8;
        return SaveThrough(path, [&](CsvTable::Writer write) {
            CsvTable table(std::move(write), utf8);
            settings.Table = &table;
            return fill();
        });
    }
    const StreamKind output = platform::StreamKindOf(platform::Stream::Output);
    const bool shown = output == StreamKind::Terminal || output == StreamKind::Console;
    const bool utf8 = output == StreamKind::Console || (asked ? *asked == TextEncoding::Utf8 : shown);
    CsvTable table([](std::string_view bytes) { return platform::WriteAll(1, bytes); }, utf8, !shown);
    settings.Table = &table;
    return fill();
}

bool IsStandardInput(const Source& source) { return source.Path == kStandardInputName; }

// As CollectSources, with "-" standing for standard input wherever it is named.
std::vector<Source> Sources(const Options& options)
{
    std::vector<Source> sources;
    for (const std::filesystem::path& named : options.Files) {
        if (named == kStandardInputName) {
            sources.push_back({named, named, 0, {}, {}});
            continue;
        }
        std::vector<Source> found = CollectSources({named}, options.Recursive);
        sources.insert(sources.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    }
    return sources;
}

int Run(const Options& options)
{
    const std::vector<Source> sources = Sources(options);
    const bool batch = options.Recursive || options.Files.size() > 1;

    std::vector<Target> targets;
    if (options.Save)
        targets = SettleTargets(sources, options.OutputDir);

    RunSettings settings;
    settings.Listing = options.Listing;
    // A Windows console takes characters: it is handed UTF-8 whatever was
    // asked. Saved listings are files, whatever standard output is.
    const vaveze::StreamKind output = options.Save ? vaveze::StreamKind::File : platform::StreamKindOf(platform::Stream::Output);
    settings.Utf8 = OutputEncoding(options.Output, Locale(), output) == TextEncoding::Utf8;
    settings.PathPrefix = !options.Save && (options.Prefix == FileNames::Always ||
                                            (options.Prefix == FileNames::Auto && batch));
    settings.Quiet = options.Quiet;
    settings.NoMessages = options.NoMessages;
    settings.FailedNames = options.FailedNames;
    settings.Json = options.Json;
    settings.Recursive = options.Recursive;

    // Read before any file, so that which "-" gets its bytes does not
    // depend on the order the jobs finish in.
    const auto firstInput = std::find_if(sources.begin(), sources.end(), IsStandardInput);
    StandardInput input = firstInput != sources.end() ? ReadStandardInput() : StandardInput{};
    StandardInput readToItsEnd;
    const auto inputFor = [&](std::size_t i) {
        if (!IsStandardInput(sources[i]))
            return static_cast<StandardInput*>(nullptr);
        return sources.begin() + static_cast<std::ptrdiff_t>(i) == firstInput ? &input : &readToItsEnd;
    };

    if (options.Grep)
        return Grep(sources, options, settings, inputFor);

    std::uint64_t bytes = 0;
    for (const Source& source : sources)
        bytes += source.Size;
    const bool showProgress = !options.Quiet && sources.size() > 1 && vaveze::platform::IsTerminal(vaveze::platform::Stream::Error);
    ProgressLine progress(showProgress, sources.size(), bytes);
    Tally tally;
    // Each file in turn; once nothing more can reach the reader (standard
    // output or the table failed), the files left are not even read.
    const auto listFiles = [&](StandardOutput& standardOutput) {
        int worst = kExitOk;
        OrderedJobs<Prepared> jobs(sources.size(), JobCount(options), [&](std::size_t i) {
            return PrepareFile(sources[i], options.Save ? &targets[i] : nullptr, settings, inputFor(i));
        });
        for (std::size_t i = 0; std::optional<Prepared> prepared = jobs.Take(); ++i) {
            const int one = FinishFile(sources[i], options.Save ? &targets[i] : nullptr, *prepared, settings, tally,
                                       progress, standardOutput);
            worst = Worse(worst, one);
            if (standardOutput.Failed() || (settings.Table != nullptr && settings.Table->Error() != 0))
                break;
        }
        return worst;
    };
    int status = kExitOk;
    StandardOutput standardOutput;
    if (options.Csv) {
        const int error = WriteTable(*options.Csv, settings, options.Output, [&] {
            status = listFiles(standardOutput);
            return settings.Table->Finish();
        });
        if (error != 0) {
            progress.Hide();
            // As a listing's: a reader that went away is told by the status alone.
            if (*options.Csv != kStandardInputName || error != EPIPE)
                SayAbout(*options.Csv == kStandardInputName ? Tr("standard output")
                                                            : platform::Utf8FromPath(*options.Csv),
                         Fill(Tr("the table could not be written: %1"), {std::generic_category().message(error)}));
            status = kExitWriteError;
        }
    } else {
        status = listFiles(standardOutput);
    }
    progress.Hide();
    if (standardOutput.Failed())
        return kExitWriteError;
    if (batch && !options.NoSummary)
        Say(Summary(tally));
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    vaveze::platform::UseBinaryStandardStreams();
    InitMessages();
    // The tool's guard: a fault that escapes the run, from any file's job,
    // ends it with a message and its own status instead of an abort.
    return Guarded(
        [&] {
            if (vaveze::platform::StartedWithoutConsole()) {
                vaveze::platform::ShowNotice(CommandLineToolNotice(MessageLanguage()));
                return kExitUsage;
            }
            Options options;
            if (const int status = ParseArguments(vaveze::platform::Utf8Arguments(argc, argv), options); status >= 0)
                return status;
            return Run(options);
        },
        [](const Fault& fault) {
            try {
                Say(FaultMessage(fault, MessageLanguage()));
            } catch (...) {
                // Not even the message could be had: the status says it.
            }
            return kExitFault;
        });
}
