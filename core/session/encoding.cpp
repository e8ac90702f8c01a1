#include "core/session/encoding.h"

namespace vaveze {

TextEncoding OutputEncoding(std::optional<TextEncoding> asked, const LocaleVariables& /*locale*/,
                            StreamKind stream) noexcept
{
    if (stream == StreamKind::Console)
        return TextEncoding::Utf8;
    if (asked)
        return *asked;
    return stream == StreamKind::Terminal ? TextEncoding::Utf8 : TextEncoding::ShiftJis;
}

}  // namespace vaveze
