#include "cli/jsonlines.h"

#include "core/text/cp932.h"

namespace vaveze::cli {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;

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

std::string_view KindName(LineKind kind)
{
    switch (kind) {
    case LineKind::Heading:
        return "heading";
    case LineKind::HeaderText:
        return "header_text";
    case LineKind::LayerGroup:
        return "layer_group";
    case LineKind::Layers:
        return "layers";
    case LineKind::Colors:
        return "colors";
    case LineKind::LineTypes:
        return "line_types";
    case LineKind::Text:
        return "text";
    case LineKind::DimensionText:
        return "dimension_text";
    case LineKind::BlockName:
        return "block_name";
    case LineKind::BlockText:
        return "block_text";
    case LineKind::BlockDimensionText:
        return "block_dimension_text";
    }
    return "text";
}

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

JsonLinesSink::JsonLinesSink(Writer writer, std::string_view path) : writer_(std::move(writer))
{
    start_ = "{\"path\":";
    AppendJsonString(start_, path);
    start_ += ",\"line\":";
    SetKind(LineKind::Text, kNoBlock);
}

void JsonLinesSink::Clear()
{
    buffer_.clear();
    lines_ = 0;
}

void JsonLinesSink::SetKind(LineKind kind, std::int32_t block)
{
    kind_ = ",\"kind\":\"";
    kind_ += KindName(kind);
    kind_ += "\",\"block\":";
    kind_ += block == kNoBlock ? std::string("null") : std::to_string(block);
    kind_ += ",\"text\":";
}

bool JsonLinesSink::Append(std::string_view line)
{
    static constexpr char kHex[] = "0123456789abcdef";
    ++lines_;
    buffer_ += start_;
    buffer_ += std::to_string(lines_);
    buffer_ += kind_;
    AppendJsonString(buffer_, Cp932ToUtf8(line));
    buffer_ += ",\"bytes\":\"";
    for (const char c : line) {
        buffer_ += kHex[static_cast<unsigned char>(c) >> 4];
        buffer_ += kHex[static_cast<unsigned char>(c) & 0xF];
    }
    buffer_ += "\"}\n";
    if (buffer_.size() >= kBlockSize)
        Flush();
    return error_ == 0;
}

int JsonLinesSink::Finish()
{
    Flush();
    return error_;
}

void JsonLinesSink::Flush()
{
    if (error_ == 0 && !buffer_.empty())
        error_ = writer_(buffer_);
    buffer_.clear();
}

}  // namespace vaveze::cli
