#include "core/text/typedtext.h"

#include <algorithm>
#include <vector>

#include "core/text/cp932.h"

namespace vaveze {

void AppendTyped(SavedText& out, std::u16string_view text)
{
    std::size_t start = 0;
    while (true) {
        const std::size_t sep = text.find(u'\u2028', start);
        EncodedText part = EncodeCp932(text.substr(start, sep == std::u16string_view::npos ? sep : sep - start));
        out.Bytes += part.Bytes;
        for (char32_t c : part.Unencodable)
            if (out.Unencodable.find(c) == std::u32string::npos)
                out.Unencodable += c;
        if (sep == std::u16string_view::npos)
            return;
        out.Bytes += "\r\n";
        start = sep + 1;
    }
}

// Every shown character stands for one or two bytes of the original, so
// character positions map straight onto byte positions.
void AppendEdited(SavedText& out, std::u16string_view text, std::string_view original)
{
    const std::u16string shown = DecodeCp932(original, ControlBytes::AsRawByte).Text;
    const std::size_t common = std::min(shown.size(), text.size());
    std::size_t prefix = 0;
    while (prefix < common && shown[prefix] == text[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < common - prefix && shown[shown.size() - 1 - suffix] == text[text.size() - 1 - suffix])
        ++suffix;

    std::vector<std::size_t> offsets;  // byte offset of each shown character, then the end
    offsets.reserve(shown.size() + 1);
    for (std::size_t pos = 0; pos < original.size(); pos += Cp932CharLength(original, pos))
        offsets.push_back(pos);
    offsets.push_back(original.size());

    out.Bytes.append(original.substr(0, offsets[prefix]));
    AppendTyped(out, text.substr(prefix, text.size() - prefix - suffix));
    out.Bytes.append(original.substr(offsets[shown.size() - suffix]));
}

}  // namespace vaveze
