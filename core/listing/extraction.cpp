#include "core/listing/extraction.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/text/Func_.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;

Detection Parsed(FormatKind kind, ParseOutcome outcome)
{
    Detection d;
    d.Kind = kind;
    d.Outcome = outcome;
    return d;
}

Detection Warned(WarningKind warning)
{
    Detection d;
    d.Warning = warning;
    return d;
}

// The file name's characters, narrowed: a wide name's non-ASCII characters
// become '?', which no extension compared with holds.
std::string NarrowFileName(const fs::path& path)
{
    const fs::path::string_type name = path.filename().native();
    std::string out;
    out.reserve(name.size());
    for (const auto c : name) {
        if constexpr (sizeof(c) == 1)
            out += c;
        else
            out += static_cast<std::uint32_t>(c) < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

}  // namespace

NameClass ClassifyName(const fs::path& path)
{
    const std::string ext = UpperExtension(path);
    if (ext == ".ZVW")
        return NameClass::Zvw;
    if (ext == ".ZVS")
        return NameClass::Zvs;
    if (ext == ".ZVC")
        return NameClass::Zvc;
    if (ext == ".ZVK")
        return NameClass::Zvk;
    if (ext == ".BAK" || CopyClamped(ext, 1, 3) == ".BK" || ext == ".ZV$")
        return NameClass::Backup;
    return NameClass::Other;
}

std::string UpperExtension(const fs::path& path)
{
    const std::string name = NarrowFileName(path);
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return {};
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return ext;
}

namespace {

// The bytes format detection looks at.
constexpr std::size_t kLongestMagic =
    std::max({kZvwMagic.size(), kZvsMagic.size(), kZvcMagic.size(), kZvkMagic.size()});

void ResetReader(Readers& readers, FormatKind kind)
{
    switch (kind) {
    case FormatKind::Zvw:
        return ResetZvw(readers.Zvw);
    case FormatKind::Zvs:
        return ResetZvs(readers.Zvs);
    case FormatKind::Zvc:
        return ResetZvc(readers.Zvc);
    case FormatKind::Zvk:
        return ResetZvk(readers.Zvk);
    case FormatKind::None:
        break;
    }
}

// The whole file's bytes for a salvage reading: those of the parse, or,
// for a file read a window at a time, the file read once more, whole.
class WholeFile {
public:
    WholeFile(const fs::path& path, std::string_view bytes, const FileWindow* file)
        : path_(path), bytes_(bytes), file_(file)
    {
    }

    // Nothing when the file cannot be read again as it was.
    [[nodiscard]] std::optional<std::string_view> Bytes(std::size_t size)
    {
        if (file_ == nullptr)
            return bytes_;
        read_ = ReadFileBytes(path_);
        if (read_.Problem != FileProblem::None || read_.Bytes.size() != size)
            return std::nullopt;
        return read_.Bytes.view();
    }

private:
    const fs::path& path_;
    std::string_view bytes_;
    const FileWindow* file_;
    FileRead read_;
};

// Salvages past a parse that stopped early, or that took damaged bytes for
// records and so read to an end the file does not have (`endsWell`), with
// `salvage(whole bytes)`.
template <typename Reader, typename Salvage>
void SalvageAfter(Reader& reader, const ParseOutcome& outcome, bool endsWell, std::size_t size, WholeFile& whole,
                  Salvage salvage)
{
    if (outcome.Complete() && endsWell)
        return;
    if (const auto bytes = whole.Bytes(size))
        salvage(*bytes);
    else  // the file cannot be read again: everything after the stop is passed over
        reader.Salvaged.Skipped.push_back(
            {outcome.Complete() ? StopReason::DamagedRecord : outcome.Reason, outcome.Offset, size});
}

// The rules of DetectAndParseBytes. From a file on disk, `bytes` are its
// first bytes, and the reader chosen reads it a window at a time; bytes in
// memory are read through a cursor over them, as their parses read them.
Detection DetectAndParseIn(Readers& readers, const fs::path& name, std::string_view bytes, FileWindow* file,
                           RecordsKept kept, ReadMode mode)
{
    const auto cursor = [&]() { return file == nullptr ? InputStream(bytes) : file->Cursor(); };
    WholeFile whole(name, bytes, file);
    // The Windows formats note where their parse read what it keeps, so
    // that a salvage reading lists none of it again.
    const auto windowsFormat = [&](auto& reader, auto parse, auto parseTexts, auto parseTraced, auto salvage) {
        InputStream in = cursor();
        const std::size_t size = in.size();
        if (mode == ReadMode::Ordinary)
            return kept == RecordsKept::TextsOnly ? parseTexts(reader, in) : parse(reader, in);
        ArchiveTrace trace;
        const ParseOutcome outcome = parseTraced(reader, in, kept, trace);
        SalvageAfter(reader, outcome, trace.EndsWell, size, whole,
                     [&](std::string_view all) { salvage(reader, all, trace, outcome); });
        return outcome;
    };
    const auto dosFormat = [&](auto& reader, auto parse, auto salvage) {
        InputStream in = cursor();
        const std::size_t size = in.size();
        const ParseOutcome outcome = parse(reader, in);
        if (mode == ReadMode::Salvage)
            SalvageAfter(reader, outcome, true, size, whole, [&](std::string_view all) { salvage(reader, all, outcome); });
        return outcome;
    };
    const auto ParseZvwBytes = [&](ZvwReader& reader, std::string_view) {
        return windowsFormat(reader, ParseZvwStream, ParseZvwTextsStream, ParseZvwTraced, SalvageZvw);
    };
    const auto ParseZvsBytes = [&](ZvsReader& reader, std::string_view) {
        return windowsFormat(reader, ParseZvsStream, ParseZvsTextsStream, ParseZvsTraced, SalvageZvs);
    };
    const auto ParseZvcBytes = [&](ZvcReader& reader, std::string_view) { return dosFormat(reader, ParseZvcStream, SalvageZvc); };
    const auto ParseZvkBytes = [&](ZvkReader& reader, std::string_view) { return dosFormat(reader, ParseZvkStream, SalvageZvk); };
    const bool zvw = bytes.starts_with(kZvwMagic);
    const bool zvs = bytes.starts_with(kZvsMagic);
    const bool zvc = bytes.starts_with(kZvcMagic);
    const bool zvk = bytes.starts_with(kZvkMagic);

    switch (ClassifyName(name)) {
    case NameClass::Zvw:
        return zvw ? Parsed(FormatKind::Zvw, ParseZvwBytes(readers.Zvw, bytes)) : Warned(WarningKind::NotZvw);
    case NameClass::Zvs:
        return zvs ? Parsed(FormatKind::Zvs, ParseZvsBytes(readers.Zvs, bytes)) : Warned(WarningKind::NotZvs);
    case NameClass::Zvc:
        return zvc ? Parsed(FormatKind::Zvc, ParseZvcBytes(readers.Zvc, bytes)) : Detection{};
    case NameClass::Zvk:
        return zvk ? Parsed(FormatKind::Zvk, ParseZvkBytes(readers.Zvk, bytes)) : Detection{};
    case NameClass::Backup:
        // The first magic that matches wins.
        if (zvw)
            return Parsed(FormatKind::Zvw, ParseZvwBytes(readers.Zvw, bytes));
        if (zvs)
            return Parsed(FormatKind::Zvs, ParseZvsBytes(readers.Zvs, bytes));
        if (zvc)
            return Parsed(FormatKind::Zvc, ParseZvcBytes(readers.Zvc, bytes));
        if (zvk)
            return Parsed(FormatKind::Zvk, ParseZvkBytes(readers.Zvk, bytes));
        break;
    case NameClass::Other:
        break;
    }
    return {};
}

}  // namespace

Detection DetectAndParseBytes(Readers& readers, const fs::path& name, std::string_view bytes, RecordsKept kept,
                              ReadMode mode)
{
    Detection detection = DetectAndParseIn(readers, name, bytes, nullptr, kept, mode);
    // No bytes are an empty file, wherever they come from.
    if (bytes.empty())
        detection.Problem = FileProblem::Empty;
    return detection;
}

Detection DetectAndParse(Readers& readers, const fs::path& path, RecordsKept kept, ReadMode mode)
{
    FileWindow file(path);
    Detection detection;
    if (file.Problem() == FileProblem::None) {
        detection = DetectAndParseIn(readers, path, file.First(kLongestMagic), &file, kept, mode);
        if (file.Problem() != FileProblem::None) {
            // It failed while it was read: as a file that cannot be read at
            // all, examined as holding no byte, with nothing of it parsed.
            ResetReader(readers, detection.Kind);
            detection = DetectAndParseIn(readers, path, {}, nullptr, kept, mode);
        }
    } else if (file.Problem() != FileProblem::NotFound) {
        detection = DetectAndParseIn(readers, path, {}, nullptr, kept, mode);
    }
    detection.Problem = file.Problem();
    detection.SystemMessage = file.SystemMessage();
    return detection;
}

bool ListFormat(FormatKind kind, const Readers& readers, const ListingOptions& options, LineSink& sink)
{
    switch (kind) {
    case FormatKind::Zvw:
        return ListZvw(readers.Zvw, options, sink);
    case FormatKind::Zvs:
        return ListZvs(readers.Zvs, options, sink);
    case FormatKind::Zvc:
        return ListZvc(readers.Zvc, options, sink);
    case FormatKind::Zvk:
        return ListZvk(readers.Zvk, options, sink);
    case FormatKind::None:
        break;
    }
    return true;
}

const SalvageResult* SalvageOf(FormatKind kind, const Readers& readers)
{
    switch (kind) {
    case FormatKind::Zvw:
        return &readers.Zvw.Salvaged;
    case FormatKind::Zvs:
        return &readers.Zvs.Salvaged;
    case FormatKind::Zvc:
        return &readers.Zvc.Salvaged;
    case FormatKind::Zvk:
        return &readers.Zvk.Salvaged;
    case FormatKind::None:
        break;
    }
    return nullptr;
}

void ResetReaders(Readers& readers)
{
    ResetZvc(readers.Zvc);
    ResetZvk(readers.Zvk);
    ResetZvw(readers.Zvw);
    ResetZvs(readers.Zvs);
}

void ClearReaders(Readers& readers) { ResetReaders(readers); }

std::string_view FormatName(FormatKind kind)
{
    switch (kind) {
    case FormatKind::Zvw:
        return "ZVW";
    case FormatKind::Zvs:
        return "ZVS";
    case FormatKind::Zvc:
        return "ZVC";
    case FormatKind::Zvk:
        return "ZVK";
    case FormatKind::None:
        break;
    }
    return "none";
}

fs::path ProposedTextName(const fs::path& sourcePath)
{
    fs::path::string_type name = sourcePath.filename().native();
    const auto dot = name.find_last_of(fs::path::value_type('.'));
    if (dot != fs::path::string_type::npos)
        name.erase(dot);
    fs::path proposed(std::move(name));
    proposed += ".txt";
    return proposed;
}

}  // namespace vaveze
