#include "core/listing/extraction.h"

#include "core/text/Func_.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;

bool IsBackupExtension(const std::string& ext)
{
    return ext == ".BAK" || CopyClamped(ext, 1, 3) == ".BK" || ext == ".ZV$";
}

Detection Parsed(FormatKind kind, ParseOutcome outcome)
{
    Detection d;
    d.Kind = kind;
    d.Outcome = outcome;
    return d;
}

Detection Warned(std::string_view warning)
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

Detection DetectAndParseBytes(Readers& readers, const fs::path& name, std::string_view bytes)
{
    const std::string ext = UpperExtension(name);
    const bool zvw = bytes.starts_with(kZvwMagic);
    const bool zvs = bytes.starts_with(kZvsMagic);
    const bool zvc = bytes.starts_with(kZvcMagic);
    const bool zvk = bytes.starts_with(kZvkMagic);

    if (ext == ".ZVW")
        return zvw ? Parsed(FormatKind::Zvw, ParseZvwBytes(readers.Zvw, bytes)) : Warned(kZvwWarning);
    if (ext == ".ZVS")
        return zvs ? Parsed(FormatKind::Zvs, ParseZvsBytes(readers.Zvs, bytes)) : Warned(kZvsWarning);
    if (ext == ".ZVC")
        return zvc ? Parsed(FormatKind::Zvc, ParseZvcBytes(readers.Zvc, bytes)) : Detection{};
    if (ext == ".ZVK")
        return zvk ? Parsed(FormatKind::Zvk, ParseZvkBytes(readers.Zvk, bytes)) : Detection{};

    if (IsBackupExtension(ext)) {
        // The first magic that matches wins.
        if (zvw)
            return Parsed(FormatKind::Zvw, ParseZvwBytes(readers.Zvw, bytes));
        if (zvs)
            return Parsed(FormatKind::Zvs, ParseZvsBytes(readers.Zvs, bytes));
        if (zvc)
            return Parsed(FormatKind::Zvc, ParseZvcBytes(readers.Zvc, bytes));
        if (zvk)
            return Parsed(FormatKind::Zvk, ParseZvkBytes(readers.Zvk, bytes));
    }
    return {};
}

Detection DetectAndParse(Readers& readers, const fs::path& path)
{
    FileRead file = ReadFileBytes(path);
    Detection detection;
    if (file.Problem != FileProblem::NotFound)
        detection = DetectAndParseBytes(readers, path, file.Bytes.view());
    detection.Problem = file.Problem;
    detection.SystemMessage = std::move(file.SystemMessage);
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

void ClearReaders(Readers& readers)
{
    ClearZvc(readers.Zvc);
    ClearZvk(readers.Zvk);
    ClearZvw(readers.Zvw);
    ClearZvs(readers.Zvs);
}

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
