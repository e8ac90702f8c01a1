// What the user reads: every text of the flow, written once for every front.
#pragma once

#include <string_view>

#include "core/listing/extraction.h"

namespace vaveze {

// The window's warning for a file named .zvw or .zvs that is not of that
// format, word for word (UTF-8); empty for None.
[[nodiscard]] std::string_view WarningText(WarningKind warning);

}  // namespace vaveze
