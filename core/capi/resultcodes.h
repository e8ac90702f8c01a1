// What opening a file came to, as the codes and texts of the C interface.
#pragma once

#include <string>

#include "core/capi/vaveze.h"
#include "core/session/session.h"

namespace vaveze {

// The fields a document and each of its listings answer with.
struct ResultCodes {
    int Status = VAVEZE_NOT_RECOGNISED;  // VAVEZE_OK, VAVEZE_PARTIAL or VAVEZE_NOT_RECOGNISED
    int Format = VAVEZE_FORMAT_NONE;
    int Reason = VAVEZE_REASON_NONE;
    int Warning = VAVEZE_WARNING_NONE;
    vaveze_offset Offset = 0;  // where a partial parse stopped
    std::string Message;       // English; empty when complete
};

[[nodiscard]] ResultCodes CodesOf(const OpenResult& result);

// The vaveze_reason of why a parse stopped, or a salvage reading passed
// over a place.
[[nodiscard]] int ReasonCode(StopReason reason) noexcept;

// English text of a vaveze_reason; static.
[[nodiscard]] const char* ReasonText(int reason) noexcept;

}  // namespace vaveze
