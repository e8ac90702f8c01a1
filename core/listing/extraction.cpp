#include "core/listing/extraction.h"

#include <algorithm>

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

// The rules of DetectAndParseBytes. From a file on disk, `bytes` are its
// first bytes, and the reader chosen reads it a window at a time.
Detection DetectAndParseIn(Readers& readers, const fs::path& name, std::string_view bytes, FileWindow* file,
                           RecordsKept kept)
{
    const auto from = [file](auto parseBytes, auto parseStream) {
        return [=](auto& reader, std::string_view view) {
            if (file == nullptr)
                return parseBytes(reader, view);
            InputStream in = file->Cursor();
            return parseStream(reader, in);
        };
    };
    const bool textsOnly = kept == RecordsKept::TextsOnly;
    const auto ParseZvwBytes = textsOnly ? from(ParseZvwTextsBytes, ParseZvwTextsStream)
                                         : from(vaveze::ParseZvwBytes, ParseZvwStream);
    const auto ParseZvsBytes = textsOnly ? from(ParseZvsTextsBytes, ParseZvsTextsStream)
                                         : from(vaveze::ParseZvsBytes, ParseZvsStream);
    const auto ParseZvcBytes = from(vaveze::ParseZvcBytes, ParseZvcStream);
    const auto ParseZvkBytes = from(vaveze::ParseZvkBytes, ParseZvkStream);
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

Detection DetectAndParseBytes(Readers& readers, const fs::path& name, std::string_view bytes, RecordsKept kept)
{
    Detection detection = DetectAndParseIn(readers, name, bytes, nullptr, kept);
    // No bytes are an empty file, wherever they come from.
    if (bytes.empty())
        detection.Problem = FileProblem::Empty;
    return detection;
}

Detection DetectAndParse(Readers& readers, const fs::path& path, RecordsKept kept)
{
    FileWindow file(path);
    Detection detection;
    if (file.Problem() == FileProblem::None) {
        detection = DetectAndParseIn(readers, path, file.First(kLongestMagic), &file, kept);
        if (file.Problem() != FileProblem::None) {
            // It failed while it was read: as a file that cannot be read at
            // all, examined as holding no byte, with nothing of it parsed.
            ResetReader(readers, detection.Kind);
            detection = DetectAndParseIn(readers, path, {}, nullptr, kept);
        }
    } else if (file.Problem() != FileProblem::NotFound) {
        detection = DetectAndParseIn(readers, path, {}, nullptr, kept);
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
