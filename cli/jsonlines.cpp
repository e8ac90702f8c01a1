#include "cli/jsonlines.h"

#include "core/text/cp932.h"
#include "core/text/jsonstring.h"

namespace vaveze::cli {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;

}  // namespace

std::string_view ReasonName(StopReason reason)
{
    switch (reason) {
    case StopReason::None:
        break;
    case StopReason::EndsEarly:
        return "ends_early";
    case StopReason::UnsupportedVersion:
        return "unsupported_version";
    case StopReason::ImpossibleSize:
        return "impossible_size";
    case StopReason::NumberOverflow:
        return "number_overflow";
    case StopReason::OutOfMemory:
        return "out_of_memory";
    case StopReason::DamagedRecord:
        return "damaged_record";
    }
    return "none";
}

JsonLinesSink::JsonLinesSink(Writer writer, std::string_view path, bool salvage)
    : writer_(std::move(writer)), salvage_(salvage)
{
    path_ = "{\"path\":";
    AppendJsonString(path_, path);
    start_ = path_ + ",\"line\":";
    SetKind(LineKind::Text, kNoBlock);
}

void JsonLinesSink::Clear()
{
    buffer_.clear();
    lines_ = 0;
    salvaged_ = false;
    SetKind(kindNow_, blockNow_);
}

void JsonLinesSink::SetKind(LineKind kind, std::int32_t block)
{
    kindNow_ = kind;
    blockNow_ = block;
    kind_ = ",\"kind\":\"";
    kind_ += KindName(kind);
    kind_ += "\",\"block\":";
    kind_ += block == kNoBlock ? std::string("null") : std::to_string(block);
    if (salvage_)
        kind_ += salvaged_ ? ",\"salvaged\":true" : ",\"salvaged\":false";
    kind_ += ",\"text\":";
}

void JsonLinesSink::StartSalvaged()
{
    salvaged_ = true;
    SetKind(kindNow_, blockNow_);
}

void JsonLinesSink::AddSkipped(const std::vector<SkippedPlace>& places)
{
    for (const SkippedPlace& place : places) {
        buffer_ += path_;
        buffer_ += ",\"skipped\":{\"reason\":\"";
        buffer_ += ReasonName(place.Reason);
        buffer_ += "\",\"from\":" + std::to_string(place.From) + ",\"to\":" + std::to_string(place.To) + "}}\n";
    }
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
