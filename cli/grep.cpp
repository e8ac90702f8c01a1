// vaveze-list --grep: the search run over the files named, and what it found written out.
#include "cli/grep.h"

#include <cerrno>
#include <string>
#include <system_error>

#include "cli/jsonlines.h"
#include "cli/messages.h"
#include "cli/platform.h"
#include "core/listing/encoded.h"
#include "core/session/search.h"
#include "core/text/cp932.h"

namespace vaveze::cli {
namespace {

constexpr int kStandardOutput = 1;

int WriteToStandardOutput(std::string_view bytes) { return platform::WriteAll(kStandardOutput, bytes); }

SearchQuery QueryOf(const Options& options)
{
    SearchQuery query;
    query.Needle = TextOfArgument(*options.Grep);
    query.Listing = options.Listing;
    // -l needs one hit of a file, -c only their number.
    query.MostHitsPerFile = options.NamesOnly ? 1 : 0;
    query.KeepLines = !options.NamesOnly && !options.Counts;
    return query;
}

// The hits of one file, as grep -n writes them: "path:number:text", the
// path as the listings' prefix (when they have one), the text and the line
// end in the listings' encoding.
std::string HitLines(const Source& source, const SearchedFile& file, const RunSettings& settings)
{
    const std::string prefix = settings.PathPrefix ? PathPrefix(source.Path, settings.Utf8) : std::string();
    std::string out;
    for (const SearchHit& hit : file.Lines) {
        out += prefix;
        out += std::to_string(hit.Line);
        out += ':';
        out += settings.Utf8 ? DisplayText(hit.Bytes) : hit.Bytes;
        out += settings.Utf8 ? "\n" : "\r\n";
    }
    return out;
}

// What the file found comes to on standard output; 0, or the errno of a
// failed write.
int WriteFound(const Source& source, const SearchedFile& file, const Options& options, const RunSettings& settings)
{
    // Names are written as --failed writes them: as named or found, and LF.
    const std::string name = platform::Utf8FromPath(source.Path);
    if (options.NamesOnly)
        return file.Hits > 0 ? WriteToStandardOutput(name + '\n') : 0;
    if (options.Counts)
        return WriteToStandardOutput((settings.PathPrefix ? name + ':' : std::string()) + std::to_string(file.Hits) +
                                     '\n');
    if (settings.Json) {
        JsonLinesSink sink(WriteToStandardOutput, name);
        for (const SearchHit& hit : file.Lines) {
            sink.SetKind(hit.Kind, hit.Block);
            if (!sink.AppendAt(hit.Line, hit.Bytes))
                break;
        }
        return sink.Finish();
    }
    return file.Lines.empty() ? 0 : WriteToStandardOutput(HitLines(source, file, settings));
}

}  // namespace

int Grep(const std::vector<Source>& sources, const Options& options, const RunSettings& settings,
         const std::function<StandardInput*(std::size_t)>& inputFor)
{
    FileSearch search(sources, QueryOf(options), options.Jobs, {}, [&](Session& session, std::size_t i) {
        return OpenSource(sources[i], inputFor(i), session, ModeOf(settings));
    });
    bool found = false;
    bool trouble = false;
    while (const std::optional<SearchedFile> file = search.Take()) {
        const Source& source = sources[file->Index];
        const std::string reason = ReasonText(source, file->Opened, settings);
        const auto mention = [&](const std::string& text) {
            if (!settings.NoMessages)
                SayAbout(platform::Utf8FromPath(source.Path), text);
        };
        if (!file->Opened.Listed()) {
            trouble = true;
            mention(reason);
            continue;
        }
        if (file->Opened.Partial()) {
            trouble = true;
            mention(Fill(Tr("%1, what was read is searched"), {reason}));
        }
        found = found || file->Hits > 0;
        if (const int error = WriteFound(source, *file, options, settings); error != 0) {
            // Nothing more can reach the reader; one that went away (head,
            // grep -q) chose to, and is not told of it.
            if (error != EPIPE)
                SayAbout(Tr("standard output"), std::generic_category().message(error));
            search.Stop();
            return kGrepTrouble;
        }
    }
    return trouble ? kGrepTrouble : found ? kGrepFound : kGrepNothingFound;
}

}  // namespace vaveze::cli
