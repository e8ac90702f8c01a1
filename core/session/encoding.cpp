// Which encoding the tool writes a listing in, from the request, the locale and the output.
#include "core/session/encoding.h"

namespace vaveze {

bool IsUtf8Locale(const LocaleVariables& locale) noexcept
{
    std::string_view name = locale.LcAll;
    if (name.empty())
        name = locale.LcCtype;
    if (name.empty())
        name = locale.Lang;
    // "language_TERRITORY.codeset@modifier"; the C library compares codesets
    // with case and punctuation left out, so "UTF-8", "utf8" and "Utf-8" are one.
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos)
        return false;
    std::string_view codeset = name.substr(dot + 1);
    codeset = codeset.substr(0, codeset.find('@'));
    std::string_view rest = "utf8";
    for (const char c : codeset) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit)
            continue;
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (rest.empty() || rest.front() != lower)
            return false;
        rest.remove_prefix(1);
    }
    return rest.empty();
}

TextEncoding OutputEncoding(std::optional<TextEncoding> asked, const LocaleVariables& locale, StreamKind stream,
                            OutputSystem system) noexcept
{
    if (stream == StreamKind::Console)
        return TextEncoding::Utf8;
    if (asked)
        return *asked;
    switch (stream) {
    case StreamKind::Terminal:
        return TextEncoding::Utf8;
    case StreamKind::Pipe:
        return system == OutputSystem::Posix && IsUtf8Locale(locale) ? TextEncoding::Utf8 : TextEncoding::ShiftJis;
    case StreamKind::Console:
    case StreamKind::File:
    case StreamKind::Other:
        break;
    }
    return TextEncoding::ShiftJis;
}

}  // namespace vaveze
