#include "core/text/jsonstring.h"

namespace vaveze {
namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0.
std::size_t SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    if (length == 0 || text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    while (!utf8.empty()) {
        const auto c = static_cast<unsigned char>(utf8.front());
        const std::size_t length = SequenceLength(utf8);
        if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            utf8.remove_prefix(1);
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            // JSON's short escapes for BS, TAB, LF, FF and CR; \u00XX for the rest.
            const char letter = c >= 8 && c <= 13 ? "btn\0fr"[c - 8] : '\0';
            if (letter != '\0') {
                out += '\\';
                out += letter;
            } else {
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 0xF];
            }
        } else {
            out.append(utf8.substr(0, length));
        }
        utf8.remove_prefix(length);
    }
    out += '"';
}

}  // namespace vaveze
