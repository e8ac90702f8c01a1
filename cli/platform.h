// What the command-line tool needs from the operating system, in one place:
// its arguments and the standard streams. (Listings are saved through the
// core's FileWriting.)
// Paths are UTF-8 strings throughout the tool; only here do they meet the
// system's own form (wide characters on Windows, whatever the code page).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/session/encoding.h"

namespace vaveze::platform {

// Characters that end a folder part of a path: Windows takes both slashes.
inline constexpr std::string_view kPathSeparators =
    std::filesystem::path::preferred_separator == '/' ? std::string_view("/") : std::string_view("/\\");

// The arguments after the program name, as UTF-8. On Windows they are read
// from the wide-character command line, so names the code page cannot hold
// arrive intact, and wildcards (`*.zvw`) are expanded, as a POSIX shell would.
[[nodiscard]] std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Standard output and error pass bytes through unchanged: no CR is added
// before LF, so a listing's CR LF stays CR LF.
void UseBinaryStandardStreams();

// The path of a UTF-8 path string.
[[nodiscard]] std::filesystem::path PathFromUtf8(std::string_view utf8);

// The UTF-8 form of a path.
[[nodiscard]] inline std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// Writes all of `bytes` to a descriptor; 0, or the errno of the failure.
[[nodiscard]] int WriteAll(int fd, std::string_view bytes);

// Reads standard input, as bytes, to its end or until `bytes` holds at least
// `most` bytes; 0, or the errno of the failure.
[[nodiscard]] int ReadStandardInput(std::string& bytes, std::size_t most);

// Writes a UTF-8 message to standard error. A Windows console gets it as
// wide characters, so it reads right whatever the console's code page.
void WriteMessage(std::string_view utf8);

// Writes UTF-8 text (the help, the version) to standard output, as
// characters on a Windows console.
void WriteText(std::string_view utf8);

// Whether the tool was started with a console of its own that nobody will
// read (Windows: double-clicked, or a drawing dropped on it). The console
// is let go, and ShowNotice tells the user what to do instead.
[[nodiscard]] bool StartedWithoutConsole();

// A text for a user who has no console: a message box on Windows,
// standard error elsewhere.
void ShowNotice(std::string_view utf8);

// The languages the user wants messages in, as LANGUAGE lists them
// ("ja_JP:en"): LANGUAGE when set; else, on Windows, that of the user's
// interface ("ja" for Japanese, else nothing); else the POSIX locale
// variables' choice.
[[nodiscard]] std::string UserLanguages();

enum class Stream { Output, Error };

// Whether a standard stream is a terminal (on Windows: a console).
[[nodiscard]] bool IsTerminal(Stream stream);

// What a standard stream is connected to.
[[nodiscard]] StreamKind StreamKindOf(Stream stream);

}  // namespace vaveze::platform
