#include "cli/jsonlines.h"

#include "core/text/cp932.h"
#include "core/text/jsonstring.h"

namespace vaveze::cli {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;

}  // namespace

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

bool JsonLinesSink::Append(std::string_view line) { return AppendAt(++lines_, line); }

bool JsonLinesSink::AppendAt(std::size_t number, std::string_view line)
{
    static constexpr char kHex[] = "0123456789abcdef";
    buffer_ += start_;
    buffer_ += std::to_string(number);
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
