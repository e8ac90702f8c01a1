// The core's format detection and parse outcome, as the codes and texts of
// the C interface.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/capi/vaveze.h"
#include "core/listing/extraction.h"

namespace vaveze {

struct CapiDetection {
    FormatKind Kind = FormatKind::None;
    int Reason = VAVEZE_REASON_NONE;    // a vaveze_reason
    int Warning = VAVEZE_WARNING_NONE;  // a vaveze_warning
    vaveze_offset Offset = 0;           // where a partial parse stopped
    std::string Message;                // English; empty when complete
};

// Detects and parses the file at `path` into `readers`.
[[nodiscard]] CapiDetection DetectFile(Readers& readers, const std::filesystem::path& path);

// Detects and parses `bytes` as the content of a file named `name`.
[[nodiscard]] CapiDetection DetectBytes(Readers& readers, const std::filesystem::path& name, std::string_view bytes);

// English text of a vaveze_reason; static.
[[nodiscard]] const char* ReasonText(int reason) noexcept;

}  // namespace vaveze
