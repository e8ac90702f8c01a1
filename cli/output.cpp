#include "cli/output.h"

#include "cli/platform.h"
#include "cli/walk.h"
#include "core/text/cp932.h"

namespace vaveze::cli {
namespace {

constexpr std::size_t kFlushSize = std::size_t{1} << 16;

// UTF-8 to UTF-16, each malformed sequence one U+FFFD (which code page 932
// cannot hold either, so it becomes "?").
std::u16string Utf16(std::string_view utf8)
{
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80   ? 1
                                 : lead < 0xC2 ? 0
                                 : lead < 0xE0 ? 2
                                 : lead < 0xF0 ? 3
                                 : lead < 0xF5 ? 4
                                               : 0;
        char32_t cp = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = length != 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + k]);
            valid = (cont & 0xC0) == 0x80;
            cp = (cp << 6) | (cont & 0x3F);
        }
        valid = valid && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) &&
                !(length == 3 && cp < 0x800) && !(length == 4 && cp < 0x10000);
        if (!valid) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += length;
    }
    return out;
}

}  // namespace

std::string PathPrefix(const std::filesystem::path& path, bool utf8)
{
    const std::string name = Utf8(path);
    if (utf8)
        return name + ':';
    // Character by character, so that each one code page 932 lacks leaves
    // its "?" in place.
    const std::u16string text = Utf16(name);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size();
        const EncodedText one = EncodeCp932(std::u16string_view(text).substr(i, pair ? 2 : 1));
        out += one.Unencodable.empty() ? one.Bytes : "?";
        i += pair ? 1 : 0;
    }
    return out + ':';
}

void EncodedSink::Clear()
{
    buffer_.clear();
    lines_ = 0;
}

bool EncodedSink::Append(std::string_view line)
{
    buffer_ += prefix_;
    if (utf8_) {
        buffer_ += Cp932ToUtf8(line);
        buffer_ += '\n';
    } else {
        buffer_ += line;
        buffer_ += "\r\n";
    }
    ++lines_;
    if (buffer_.size() >= kFlushSize)
        Flush();
    return error_ == 0;
}

int EncodedSink::Finish()
{
    Flush();
    return error_;
}

void EncodedSink::Flush()
{
    if (error_ == 0 && !buffer_.empty())
        error_ = platform::WriteAll(fd_, buffer_);
    buffer_.clear();
}

}  // namespace vaveze::cli
