#include "core/listing/extraction.h"

#include <sys/stat.h>

#include <filesystem>

#include "core/text/Func_.h"

namespace vaveze {
namespace {

// Windows takes either slash between folders.
constexpr std::string_view kPathSeparators =
    std::filesystem::path::preferred_separator == '/' ? std::string_view("/") : std::string_view("/\\");

std::string_view FileNamePart(std::string_view path)
{
    const auto slash = path.find_last_of(kPathSeparators);
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsBackupExtension(const std::string& ext)
{
    return ext == ".BAK" || CopyClamped(ext, 1, 3) == ".BK" || ext == ".ZV$";
}

Detection Parsed(FormatKind kind, bool result) { return Detection{kind, result, {}}; }

}  // namespace

std::string UpperExtension(std::string_view path)
{
    const std::string_view name = FileNamePart(path);
    const auto dot = name.find_last_of('.');
    if (dot == std::string_view::npos)
        return {};
    std::string ext(name.substr(dot));
    for (char& c : ext)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return ext;
}

Detection DetectAndParse(Readers& readers, const std::string& path)
{
    if (!FileExists(path))
        return {};
    const std::string ext = UpperExtension(path);

    if (ext == ".ZVW") {
        if (IsZvwFile(path))
            return Parsed(FormatKind::Zvw, ParseZvw(readers.Zvw, path));
        return Detection{FormatKind::None, false, kZvwWarning};
    }
    if (ext == ".ZVS") {
        if (IsZvsFile(path))
            return Parsed(FormatKind::Zvs, ParseZvs(readers.Zvs, path));
        return Detection{FormatKind::None, false, kZvsWarning};
    }
    if (ext == ".ZVC")
        return IsZvcFile(path) ? Parsed(FormatKind::Zvc, ParseZvc(readers.Zvc, path)) : Detection{};
    if (ext == ".ZVK")
        return IsZvkFile(path) ? Parsed(FormatKind::Zvk, ParseZvk(readers.Zvk, path)) : Detection{};

    if (IsBackupExtension(ext)) {
        // The first magic that matches wins; the later tests are not made.
        if (IsZvwFile(path))
            return Parsed(FormatKind::Zvw, ParseZvw(readers.Zvw, path));
        if (IsZvsFile(path))
            return Parsed(FormatKind::Zvs, ParseZvs(readers.Zvs, path));
        if (IsZvcFile(path))
            return Parsed(FormatKind::Zvc, ParseZvc(readers.Zvc, path));
        if (IsZvkFile(path))
            return Parsed(FormatKind::Zvk, ParseZvk(readers.Zvk, path));
    }
    return {};
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

std::string ProposedTextName(std::string_view sourcePath)
{
    const std::string_view name = FileNamePart(sourcePath);
    const auto dot = name.find_last_of('.');
    std::string proposed(dot == std::string_view::npos ? name : name.substr(0, dot));
    proposed += ".txt";
    return proposed;
}

}  // namespace vaveze
