#include "cli/options.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <optional>
#include <utility>
#include <string>
#include <string_view>

#include "cli/messages.h"
#include "cli/platform.h"
#include "cli/status.h"
#include "core/window/startup.h"

namespace vaveze::cli {
namespace {

constexpr unsigned kMaxJobs = 256;

// Kept short on purpose; the manual page has the rest.
constexpr const char* kHelp =
    "Usage: vaveze-list [OPTION]... FILE...\n"
    "Lists every text of ZVW, ZVS, ZVC and ZVK files (and their backups), one per line.\n"
    "With FILE -, reads standard input.\n"
    "\n"
    "  --header             include the header section (ZVW, ZVC, ZVK)\n"
    "  --dimensions         include the texts of dimensions (ZVW, ZVS)\n"
    "  --blocks             include the block section (ZVW, ZVS)\n"
    "  -r, --recursive      list the drawings in the folders named, and below\n"
    "  -H, --with-filename  start each line with the file's path\n"
    "  -h, --no-filename    never start lines with the file's path\n"
    "  --save               write each listing to a .txt file beside its source\n"
    "  --output-dir DIR     with --save: write the listings under DIR instead\n"
    "  --utf8, --sjis       write UTF-8 with LF, or Shift-JIS with CR LF\n"
    "  -j, --jobs N         read N files at once (default: one per processor)\n"
    "  --json               JSON Lines: one object per line, with its path, number,\n"
    "                       kind, block, text and Shift-JIS bytes\n"
    "  --grep TEXT          only the lines that hold TEXT, as path:number:text\n"
    "                       (Latin letters in either case); TEXT is read as UTF-8\n"
    "                       when it is valid UTF-8, else as Shift-JIS\n"
    "  -l, --files-with-matches  with --grep: only the names of the files holding it\n"
    "  -c, --count          with --grep: how many lines of each file hold it\n"
    "  --csv TABLE          one table (CSV) of every line of every file into TABLE\n"
    "                       (- for standard output): file, line, kind, block, text;\n"
    "                       Shift-JIS, or UTF-8 with --utf8; a text that starts\n"
    "                       as a formula (= + - @) gets a ' in front\n"
    "  --salvage            past the places where a file is damaged, read on where\n"
    "                       records can be read again; their texts follow the rest\n"
    "  -q, --quiet          no progress line, no line per saved file\n"
    "  -s, --no-messages    no message about single files; the summary stays\n"
    "  --no-summary         no summary after several files; with -q, only problems\n"
    "                       are reported (for cron)\n"
    "  --failed             only the names of the files not listed or listed in part\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 listed, 1 not recognised, 2 usage error, 3 listed in part,\n"
    "4 a listing could not be written (to a closed pipe: without a message),\n"
    "5 stopped by a fault. With --grep, as grep's: 0 a line found, 1 none found,\n"
    "2 usage error, a file not listed whole or a failed write.\n"
    "See vaveze-list(1) for more.\n";

int UsageError(const std::string& problem)
{
    Say(problem);
    platform::WriteMessage(std::string(Tr("Usage: vaveze-list [OPTION]... FILE...")) + "\n" +
                           Tr("Try 'vaveze-list --help' for more information.") + "\n");
    return kExitUsage;
}

bool ParseJobs(std::string_view text, unsigned& jobs)
{
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0 || value > kMaxJobs)
        return false;
    jobs = value;
    return true;
}

// The first two options given together that cannot be, as a message.
std::optional<std::string> Clash(const Options& options)
{
    const std::pair<bool, const char*> given[] = {
        {options.Grep.has_value(), "--grep"}, {options.Csv.has_value(), "--csv"}, {options.Save, "--save"},
        {options.FailedNames, "--failed"},    {options.Json, "--json"},           {options.NamesOnly, "-l"},
        {options.Counts, "-c"}};
    // Each pair that may be given together; any other pair of those given clashes.
    const auto fits = [](std::string_view a, std::string_view b) {
        const auto pair = [&](std::string_view x, std::string_view y) { return (a == x && b == y) || (a == y && b == x); };
        return pair("--save", "--failed") || pair("--grep", "--json") || pair("--grep", "-l") || pair("--grep", "-c");
    };
    for (std::size_t i = 0; i < std::size(given); ++i)
        for (std::size_t k = i + 1; k < std::size(given); ++k)
            if (given[i].first && given[k].first && !fits(given[i].second, given[k].second))
                return Fill(Tr("%1 and %2 cannot be combined"), {given[i].second, given[k].second});
    return std::nullopt;
}

}  // namespace

int ParseArguments(const std::vector<std::string>& args, Options& options)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // The value of an option: glued on ("--jobs=4", "-j4") or the next argument.
        const auto value = [&](std::string_view glued, std::string_view name, std::string& out) {
            if (!glued.empty()) {
                out = glued;
                return true;
            }
            if (i + 1 < args.size()) {
                out = args[++i];
                return true;
            }
            (void)UsageError(Fill(Tr("option '%1' needs a value"), {name}));
            return false;
        };
        std::string operand;
        const auto jobs = [&](std::string_view glued, std::string_view name) {
            if (!value(glued, name, operand))
                return kExitUsage;
            if (!ParseJobs(operand, options.Jobs))
                return UsageError(Fill(Tr("'%1' is not a number of jobs from 1 to 256"), {operand}));
            return -1;
        };

        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options.Files.push_back(platform::PathFromUtf8(arg));
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg.starts_with("--")) {
            const auto eq = arg.find('=');
            const std::string name = arg.substr(0, eq);
            const std::string glued = eq == std::string::npos ? std::string() : arg.substr(eq + 1);
            const bool takesValue = name == "--jobs" || name == "--output-dir" || name == "--grep" || name == "--csv";
            if (eq != std::string::npos && !takesValue)
                return UsageError(Fill(Tr("option '%1' takes no value"), {name}));
            if (name == "--header") {
                options.Listing.Header = true;
            } else if (name == "--dimensions") {
                options.Listing.Dimensions = true;
            } else if (name == "--blocks") {
                options.Listing.Blocks = true;
            } else if (name == "--save") {
                options.Save = true;
            } else if (name == "--utf8") {
                options.Output = TextEncoding::Utf8;
            } else if (name == "--sjis") {
                options.Output = TextEncoding::ShiftJis;
            } else if (name == "--recursive") {
                options.Recursive = true;
            } else if (name == "--with-filename") {
                options.Prefix = FileNames::Always;
            } else if (name == "--no-filename") {
                options.Prefix = FileNames::Never;
            } else if (name == "--quiet") {
                options.Quiet = true;
            } else if (name == "--no-messages") {
                options.NoMessages = true;
            } else if (name == "--no-summary") {
                options.NoSummary = true;
            } else if (name == "--failed") {
                options.FailedNames = true;
            } else if (name == "--json") {
                options.Json = true;
            } else if (name == "--grep") {
                if (!value(glued, name, operand))
                    return kExitUsage;
                options.Grep = operand;
            } else if (name == "--files-with-matches") {
                options.NamesOnly = true;
            } else if (name == "--count") {
                options.Counts = true;
            } else if (name == "--csv") {
                if (!value(glued, name, operand))
                    return kExitUsage;
                options.Csv = platform::PathFromUtf8(operand);
            } else if (name == "--salvage") {
                options.Listing.Salvage = true;
            } else if (name == "--jobs") {
                if (const int status = jobs(glued, name); status >= 0)
                    return status;
            } else if (name == "--output-dir") {
                std::string dir;
                if (!value(glued, name, dir))
                    return kExitUsage;
                options.OutputDir = platform::PathFromUtf8(dir);
            } else if (name == "--help") {
                platform::WriteText(Tr(kHelp));
                return kExitOk;
            } else if (name == "--version") {
                platform::WriteText(window::VersionLine("vaveze-list"));
                return kExitOk;
            } else {
                return UsageError(Fill(Tr("unknown option '%1'"), {name}));
            }
        } else {
            // One or more short options: "-rq", "-j4", "-j 4".
            for (std::size_t k = 1; k < arg.size(); ++k) {
                const char c = arg[k];
                if (c == 'r') {
                    options.Recursive = true;
                } else if (c == 'H') {
                    options.Prefix = FileNames::Always;
                } else if (c == 'h') {
                    options.Prefix = FileNames::Never;
                } else if (c == 'q') {
                    options.Quiet = true;
                } else if (c == 's') {
                    options.NoMessages = true;
                } else if (c == 'l') {
                    options.NamesOnly = true;
                } else if (c == 'c') {
                    options.Counts = true;
                } else if (c == 'j') {
                    if (const int status = jobs(std::string_view(arg).substr(k + 1), "-j"); status >= 0)
                        return status;
                    break;
                } else {
                    // The whole argument: a letter may be the first byte of
                    // a character (-平面図.zvw, a file named as an option).
                    return UsageError(Fill(Tr("unknown option '%1'"), {arg}));
                }
            }
        }
    }
    if (options.Files.empty())
        return UsageError(Tr("no file given"));
    if (options.OutputDir && !options.Save)
        return UsageError(Tr("--output-dir needs --save"));
    if ((options.NamesOnly || options.Counts) && !options.Grep)
        return UsageError(Tr("-l and -c need --grep"));
    if (options.Grep && options.Grep->empty())
        return UsageError(Tr("the text to find is empty"));
    // JSON is UTF-8 and goes to standard output; --failed writes names there instead.
    if (options.Json && options.Output)
        return UsageError(Tr("--json writes UTF-8: it takes neither --utf8 nor --sjis"));
    if (options.Json && options.Save)
        return UsageError(Tr("--json and --save cannot be combined"));
    if (options.Json && options.FailedNames)
        return UsageError(Tr("--json and --failed cannot be combined"));
    if (const std::optional<std::string> clash = Clash(options))
        return UsageError(*clash);
    if (options.Save && std::find(options.Files.begin(), options.Files.end(),
                                  std::filesystem::path(kStandardInputName)) != options.Files.end())
        return UsageError(Tr("--save cannot save the listing of standard input (-): name the file instead"));
    return -1;
}

}  // namespace vaveze::cli
