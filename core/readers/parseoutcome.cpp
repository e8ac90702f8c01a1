#include "core/readers/parseoutcome.h"

namespace vaveze {
namespace {

// "a text record", "an arc record": the records' names are plain English
// nouns, so the first letter decides the article.
std::string WithArticle(std::string_view noun)
{
    const bool vowel = !noun.empty() && std::string_view("aeiou").find(noun.front()) != std::string_view::npos;
    std::string out = vowel ? "an " : "a ";
    out += noun;
    return out;
}

std::string_view ReasonPhrase(StopReason reason)
{
    switch (reason) {
    case StopReason::UnsupportedVersion:
        return "version not supported";
    case StopReason::ImpossibleSize:
        return "a declared count or size that cannot be right for this file";
    case StopReason::NumberOverflow:
        return "a number beyond the single-precision range";
    case StopReason::OutOfMemory:
        return "out of memory";
    case StopReason::DamagedRecord:
        return "a record that cannot be right";
    case StopReason::EndsEarly:
    case StopReason::None:
        break;
    }
    return {};
}

}  // namespace

std::string GroupThousands(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

std::string DescribeStop(const ParseOutcome& outcome)
{
    if (outcome.Complete())
        return {};
    const std::string at = "byte " + GroupThousands(outcome.Offset);
    if (outcome.Reason == StopReason::EndsEarly) {
        std::string text = "the file ends at " + at;
        if (!outcome.Record.empty())
            text += " inside " + WithArticle(outcome.Record);
        return text;
    }
    // "version not supported, at byte 8 in the file header"
    std::string text(ReasonPhrase(outcome.Reason));
    text += ", at " + at;
    if (!outcome.Record.empty())
        text += " in the " + std::string(outcome.Record);
    return text;
}

}  // namespace vaveze
