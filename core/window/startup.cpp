// The window programs' command line and the open dialog's first folder.
#include "core/window/startup.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "core/session/texts.h"

namespace vaveze::window {
namespace {

namespace fs = std::filesystem;

// Folders that the system or a package manager owns, where browsing for
// drawings makes no sense even for a user allowed to write there (root, an
// administrator).
std::vector<fs::path> SystemFolders()
{
#ifdef _WIN32
    std::vector<fs::path> folders;
    for (const wchar_t* variable : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"SystemRoot"})
        if (const wchar_t* folder = _wgetenv(variable); folder != nullptr && *folder != L'\0')
            folders.emplace_back(folder);
    return folders;
#else
    return {"/usr", "/opt", "/bin", "/sbin", "/lib", "/snap"};
#endif
}

// Paths compared as the system compares them: without regard to case on
// Windows.
std::u8string Key(const fs::path& path)
{
    std::u8string key = path.lexically_normal().generic_u8string();
    while (key.size() > 1 && key.back() == u8'/')
        key.pop_back();
#ifdef _WIN32
    std::transform(key.begin(), key.end(), key.begin(),
                   [](char8_t c) { return c >= u8'A' && c <= u8'Z' ? static_cast<char8_t>(c + 32) : c; });
#endif
    return key;
}

bool IsSystemFolder(const fs::path& folder)
{
    const std::u8string key = Key(folder);
    for (const fs::path& system : SystemFolders()) {
        const std::u8string root = Key(system);
        if (key == root || key.starts_with(root + u8'/'))
            return true;
    }
    return false;
}

// A program run from where CMake built it, or from a folder of the build.
bool IsBuildFolder(const fs::path& folder)
{
    std::error_code ec;
    return fs::exists(folder / "CMakeCache.txt", ec) || fs::exists(folder / ".." / "CMakeCache.txt", ec);
}

}  // namespace

StartRequest ReadCommandLine(const std::vector<std::string>& arguments)
{
    StartRequest request;
    bool options = true;
    for (const std::string& argument : arguments) {
        if (options && argument == "--")
            options = false;
        else if (options && argument == "--help")
            return {StartRequest::Kind::Help, {}};
        else if (options && argument == "--version")
            return {StartRequest::Kind::Version, {}};
        else
            request.Files.push_back(argument);
    }
    return request;
}

std::string VersionLine(std::string_view program)
{
    return std::string(program) + " (VAveze) " VAVEZE_VERSION "\n";
}

std::string StartAnswer(StartRequest::Kind what, std::string_view program)
{
    switch (what) {
    case StartRequest::Kind::Help:
        return WindowUsage(program);
    case StartRequest::Kind::Version:
        return VersionLine(program);
    case StartRequest::Kind::Window:
        break;
    }
    return {};
}

fs::path FirstOpenFolder(const ProgramPlace& place)
{
    std::error_code ec;
    if (!place.Folder.empty() && place.Writable && fs::is_directory(place.Folder, ec) &&
        !IsSystemFolder(place.Folder) && !IsBuildFolder(place.Folder))
        return place.Folder;
    return place.Documents;
}

}  // namespace vaveze::window
