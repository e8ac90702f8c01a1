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

// The encoding of a listing written to `stream`: UTF-8 to a console, which
// takes characters; else the one asked for (--utf8, --sjis), else UTF-8 on
// a terminal, where it is read as characters, and Shift-JIS everywhere
// else. The locale does not change the choice yet; it is passed so that the
// rule has one home when it does.
[[nodiscard]] TextEncoding OutputEncoding(std::optional<TextEncoding> asked, const LocaleVariables& locale,
                                          StreamKind stream) noexcept;

}  // namespace vaveze
