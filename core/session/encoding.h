// Which encoding the command-line tool writes a listing in: decided in one
// place for every build of it (Linux, Windows, Node), from what the user
// asked, the locale and what the output is.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vaveze {

enum class TextEncoding : std::uint8_t {
    ShiftJis,  // each line's bytes and CR LF: byte for byte what the window saves
    Utf8,      // each line decoded to UTF-8, and LF
};

// What an output stream is connected to, as the system tells it.
enum class StreamKind : std::uint8_t {
    Terminal,  // a terminal, which takes bytes
    Console,   // a Windows console, which takes characters: the tool writes
               // its UTF-8 as wide characters, whatever the code page
    Pipe,      // a pipe or socket: another program reads it
    File,      // a regular file (a listing saved, `> plan.txt`)
    Other,     // anything else: /dev/null, NUL, another device; no stream at all
};

// The locale's variables as the environment holds them; unset ones empty.
struct LocaleVariables {
    std::string_view LcAll;
    std::string_view LcCtype;
    std::string_view Lang;
};

// Whether the locale's character set is UTF-8, chosen as the C library
// chooses it: LC_ALL, else LC_CTYPE, else LANG ("ja_JP.UTF-8", "C.utf8").
[[nodiscard]] bool IsUtf8Locale(const LocaleVariables& locale) noexcept;

// The system whose programs read the output: on Windows they read pipes in
// the code page, whatever the environment says. The Node tool reads its
// locale as on Linux wherever it runs.
enum class OutputSystem : std::uint8_t { Posix, Windows };

#ifdef _WIN32
inline constexpr OutputSystem kThisSystem = OutputSystem::Windows;
#else
inline constexpr OutputSystem kThisSystem = OutputSystem::Posix;
#endif

// The encoding of a listing written to `stream`: UTF-8 to a console, which
// takes characters; else the one asked for (--utf8, --sjis); else UTF-8 on
// a terminal, where it is read as characters; to a pipe, UTF-8 when the
// locale is UTF-8, as grep, less and sort then read their input, and
// Shift-JIS otherwise and always on Windows; Shift-JIS to a file and
// anything else, byte for byte what the window saves.
[[nodiscard]] TextEncoding OutputEncoding(std::optional<TextEncoding> asked, const LocaleVariables& locale,
                                          StreamKind stream, OutputSystem system = kThisSystem) noexcept;

}  // namespace vaveze
