#include "core/capi/detection_codes.h"

#include <system_error>

namespace vaveze {
namespace {

int WarningCode(std::string_view warning)
{
    if (warning == kZvwWarning)
        return VAVEZE_WARNING_NOT_ZVW;
    if (warning == kZvsWarning)
        return VAVEZE_WARNING_NOT_ZVS;
    return VAVEZE_WARNING_NONE;
}

CapiDetection NotRecognised(int reason)
{
    CapiDetection result;
    result.Reason = reason;
    result.Message = ReasonText(reason);
    return result;
}

}  // namespace

// Interim: until detection reports its own outcome.
CapiDetection DetectFile(Readers& readers, const std::filesystem::path& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return NotRecognised(VAVEZE_REASON_NO_FILE);
    if (!std::filesystem::is_regular_file(status))
        return NotRecognised(VAVEZE_REASON_NOT_A_FILE);
    const Detection detection = DetectAndParse(readers, path.string());
    if (detection.Kind == FormatKind::None) {
        CapiDetection result = NotRecognised(VAVEZE_REASON_WRONG_MAGIC);
        result.Warning = WarningCode(detection.Warning);
        return result;
    }
    CapiDetection result;
    result.Kind = detection.Kind;
    if (!detection.ParsedToEnd) {
        result.Reason = VAVEZE_REASON_ENDS_EARLY;
        result.Message = ReasonText(result.Reason);
    }
    return result;
}

CapiDetection DetectBytes(Readers&, const std::filesystem::path&, std::string_view)
{
    return NotRecognised(VAVEZE_REASON_UNREADABLE);
}

const char* ReasonText(int reason) noexcept
{
    switch (reason) {
    case VAVEZE_REASON_NONE:
        return "read to its end";
    case VAVEZE_REASON_ENDS_EARLY:
        return "the file ends early";
    case VAVEZE_REASON_UNSUPPORTED_VERSION:
        return "version not supported";
    case VAVEZE_REASON_IMPOSSIBLE_SIZE:
        return "a declared size is impossible";
    case VAVEZE_REASON_NUMBER_OVERFLOW:
        return "a number is out of range";
    case VAVEZE_REASON_OUT_OF_MEMORY:
        return "out of memory";
    case VAVEZE_REASON_NO_FILE:
        return "no such file";
    case VAVEZE_REASON_NOT_A_FILE:
        return "not a regular file";
    case VAVEZE_REASON_UNREADABLE:
        return "the file cannot be read";
    case VAVEZE_REASON_UNKNOWN_EXTENSION:
        return "not a drawing or symbol file name";
    case VAVEZE_REASON_WRONG_MAGIC:
        return "the file is not of the format its name says";
    default:
        return "unknown reason";
    }
}

}  // namespace vaveze
