#include "core/listing/encoded.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/text/linefilter.h"
#include "core/text/cp932.h"

namespace vaveze {

std::string WithControlPictures(std::string utf8)
{
    const auto control = [](char c) { return (c >= 0 && c < 0x20 && c != '\t') || c == 0x7F; };
    auto at = std::find_if(utf8.begin(), utf8.end(), control);
    if (at == utf8.end())
        return utf8;
    // Below 0x80 a UTF-8 byte is always a character of its own.
    std::string out(utf8.begin(), at);
    out.reserve(utf8.size() + 16);
    for (; at != utf8.end(); ++at) {
        if (!control(*at)) {
            out += *at;
            continue;
        }
        AppendUtf8(out, *at == 0x7F ? U'\u2421' : U'\u2400' + static_cast<char32_t>(*at));
    }
    return out;
}

std::string DisplayText(std::string_view line) { return WithControlPictures(Cp932ToUtf8(line)); }

std::string PathText(const std::filesystem::path& path, bool utf8)
{
    const std::u8string utf8Name = path.u8string();
    std::string name(utf8Name.begin(), utf8Name.end());
    if (utf8)
        return name;
    // Character by character, so that each one code page 932 lacks leaves
    // its "?" in place.
    const std::u16string text = Utf8ToUtf16(name);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size();
        const EncodedText one = EncodeCp932(std::u16string_view(text).substr(i, pair ? 2 : 1));
        out += one.Unencodable.empty() ? one.Bytes : "?";
        i += pair ? 1 : 0;
    }
    return out;
}

std::string PathPrefix(const std::filesystem::path& path, bool utf8) { return PathText(path, utf8) + ':'; }

EncodedSink::EncodedSink(Writer writer, bool utf8, std::string prefix)
    : writer_(std::move(writer)), utf8_(utf8), prefix_(std::move(prefix)), block_(new char[kBlockSize])
{
}

void EncodedSink::Clear()
{
    used_ = 0;
    lines_ = 0;
}

bool EncodedSink::Append(std::string_view line)
{
    Write(prefix_);
    if (utf8_) {
        Write(DisplayText(line));
        Write("\n");
    } else {
        Write(line);
        Write("\r\n");
    }
    ++lines_;
    return error_ == 0;
}

bool EncodedSink::AppendTexts(std::span<const std::string_view> texts)
{
    if (utf8_)
        return LineSink::AppendTexts(texts);
    for (;;) {
        texts = texts.subspan(FillBlock(texts));
        if (texts.empty())
            return error_ == 0;
        Flush();
        if (error_ != 0)
            return false;
        if (prefix_.size() + texts.front().size() + 2 > kBlockSize) {
            if (!AddLine(*this, texts.front()))
                return false;
            texts = texts.subspan(1);
        }
    }
}

std::size_t EncodedSink::FillBlock(std::span<const std::string_view> texts)
{
    // Locals, as the compiler cannot tell that the bytes copied into the
    // block leave the members alone.
    const std::size_t prefix = prefix_.size();
    const char* const prefixBytes = prefix_.data();
    char* const block = block_.get();
    std::size_t used = used_;
    std::size_t lines = lines_;
    std::size_t taken = 0;
    for (; taken < texts.size(); ++taken) {
        // The filter never lengthens a text, so its size bounds the room the
        // line takes.
        const std::string_view text = texts[taken];
        if (prefix + text.size() + 2 > kBlockSize - used)
            break;
        char* const line = block + used + prefix;
        const std::size_t length = CopyFilteredSjisLine(text, line);
        if (length == 0 || (length == 1 && line[0] == ' '))
            continue;
        if (prefix != 0)
            std::memcpy(line - prefix, prefixBytes, prefix);
        line[length] = '\r';
        line[length + 1] = '\n';
        used += prefix + length + 2;
        ++lines;
    }
    used_ = used;
    lines_ = lines;
    return taken;
}

int EncodedSink::Finish()
{
    Flush();
    return error_;
}

void EncodedSink::Write(std::string_view bytes)
{
    if (bytes.size() > kBlockSize - used_) {
        Flush();
        if (bytes.size() > kBlockSize) {
            Put(bytes);
            return;
        }
    }
    std::memcpy(block_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

void EncodedSink::Flush()
{
    if (used_ != 0)
        Put(std::string_view(block_.get(), used_));
    used_ = 0;
}

void EncodedSink::Put(std::string_view bytes)
{
    if (error_ == 0)
        error_ = writer_(bytes);
}

}  // namespace vaveze
