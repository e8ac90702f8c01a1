#include "core/text/linefilter.h"

namespace vaveze {
namespace {

// Position of the first control byte at or after `from`; the size when none.
std::size_t NextControlByte(std::string_view text, std::size_t from) noexcept
{
    using text_detail::ControlBytes;
    using text_detail::LoadWord;
    std::size_t i = from;
    while (i + 8 <= text.size() && ControlBytes(LoadWord<std::uint64_t>(text.data() + i)) == 0)
        i += 8;
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) < 0x20)
            return i;
    return text.size();
}

}  // namespace

bool SjisLineNeedsFilter(std::string_view text) noexcept
{
    return NextControlByte(text, 0) != text.size();
}

std::size_t FilterSjisLineInto(std::string_view text, char* out) noexcept
{
    // Only control bytes are ever dropped, and only those that do not end a
    // pair. Which ones do follows from the bytes before each: the byte after
    // one that cannot lead a pair starts a character (as do the first byte
    // and the byte after a control byte), so a control byte ends a pair when
    // an odd number of lead bytes stands between it and such a start.
    std::size_t written = 0;
    std::size_t runStart = 0;  // first byte not yet copied or dropped
    std::size_t charStart = 0;
    for (std::size_t at = NextControlByte(text, 0); at < text.size(); at = NextControlByte(text, at + 1)) {
        std::size_t leads = at;
        while (leads > charStart && IsFilterLeadByte(static_cast<unsigned char>(text[leads - 1])))
            --leads;
        charStart = at + 1;
        if ((at - leads) % 2 == 1)
            continue;
        if (at > runStart) {  // not the LF of a CR LF, say
            std::memcpy(out + written, text.data() + runStart, at - runStart);
            written += at - runStart;
        }
        runStart = at + 1;
    }
    std::memcpy(out + written, text.data() + runStart, text.size() - runStart);
    return written + text.size() - runStart;
}

}  // namespace vaveze
