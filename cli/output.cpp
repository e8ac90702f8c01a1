#include "cli/output.h"

#include "cli/platform.h"
#include "cli/walk.h"
#include "core/text/cp932.h"

namespace vaveze::cli {
namespace {

constexpr std::size_t kFlushSize = std::size_t{1} << 16;

}  // namespace

std::string PathPrefix(const std::filesystem::path& path, bool utf8)
{
    const std::string name = Utf8(path);
    if (utf8)
        return name + ':';
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
