#include "core/capi/detection_codes.h"

#include "core/readers/FileAccess.h"
#include "core/readers/ParseOutcome.h"

namespace vaveze {
namespace {

int WarningCode(WarningKind warning)
{
    switch (warning) {
    case WarningKind::NotZvw:
        return VAVEZE_WARNING_NOT_ZVW;
    case WarningKind::NotZvs:
        return VAVEZE_WARNING_NOT_ZVS;
    case WarningKind::None:
        break;
    }
    return VAVEZE_WARNING_NONE;
}

int StopCode(StopReason reason)
{
    switch (reason) {
    case StopReason::None:
        return VAVEZE_REASON_NONE;
    case StopReason::EndsEarly:
        return VAVEZE_REASON_ENDS_EARLY;
    case StopReason::UnsupportedVersion:
        return VAVEZE_REASON_UNSUPPORTED_VERSION;
    case StopReason::ImpossibleSize:
        return VAVEZE_REASON_IMPOSSIBLE_SIZE;
    case StopReason::NumberOverflow:
        return VAVEZE_REASON_NUMBER_OVERFLOW;
    case StopReason::OutOfMemory:
        return VAVEZE_REASON_OUT_OF_MEMORY;
    }
    return VAVEZE_REASON_ENDS_EARLY;
}

int NotRecognisedCode(const Detection& detection, const std::filesystem::path& name)
{
    switch (detection.Problem) {
    case FileProblem::None:
    case FileProblem::Empty:
        break;
    case FileProblem::NotFound:
        return VAVEZE_REASON_NO_FILE;
    case FileProblem::IsFolder:
    case FileProblem::NotRegularFile:
        return VAVEZE_REASON_NOT_A_FILE;
    case FileProblem::NoPermission:
    case FileProblem::TooLarge:
    case FileProblem::ReadError:
        return VAVEZE_REASON_UNREADABLE;
    }
    return IsDrawingName(name) ? VAVEZE_REASON_WRONG_MAGIC : VAVEZE_REASON_UNKNOWN_EXTENSION;
}

CapiDetection Codes(const Detection& detection, const std::filesystem::path& name)
{
    CapiDetection result;
    result.Kind = detection.Kind;
    result.Warning = WarningCode(detection.Warning);
    if (detection.Kind != FormatKind::None) {
        result.Reason = StopCode(detection.Outcome.Reason);
        if (result.Reason != VAVEZE_REASON_NONE) {
            result.Offset = detection.Outcome.Offset;
            result.Message = DescribeStop(detection.Outcome);
        }
        return result;
    }
    result.Reason = NotRecognisedCode(detection, name);
    result.Message = detection.Problem == FileProblem::None ? ReasonText(result.Reason)
                                                            : DescribeFileProblem(detection.Problem, detection.SystemMessage);
    return result;
}

}  // namespace

CapiDetection DetectFile(Readers& readers, const std::filesystem::path& path)
{
    return Codes(DetectAndParse(readers, path, RecordsKept::TextsOnly), path);
}

CapiDetection DetectBytes(Readers& readers, const std::filesystem::path& name, std::string_view bytes)
{
    return Codes(DetectAndParseBytes(readers, name, bytes, RecordsKept::TextsOnly), name);
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
