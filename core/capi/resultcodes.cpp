#include "core/capi/resultcodes.h"

#include "core/readers/parseoutcome.h"
#include "core/session/messages.h"
#include "core/session/texts.h"

namespace vaveze {
namespace {

int FormatCode(FormatKind kind)
{
    switch (kind) {
    case FormatKind::Zvw:
        return VAVEZE_FORMAT_ZVW;
    case FormatKind::Zvs:
        return VAVEZE_FORMAT_ZVS;
    case FormatKind::Zvc:
        return VAVEZE_FORMAT_ZVC;
    case FormatKind::Zvk:
        return VAVEZE_FORMAT_ZVK;
    case FormatKind::None:
        break;
    }
    return VAVEZE_FORMAT_NONE;
}

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

}  // namespace

int ReasonCode(StopReason reason) noexcept
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
    case StopReason::DamagedRecord:
        return VAVEZE_REASON_DAMAGED_RECORD;
    }
    return VAVEZE_REASON_ENDS_EARLY;
}

namespace {

int NotListedCode(NotListedReason reason)
{
    switch (reason) {
    case NotListedReason::None:
        return VAVEZE_REASON_NONE;
    case NotListedReason::NoFile:
        return VAVEZE_REASON_NO_FILE;
    case NotListedReason::NoPermission:
        return VAVEZE_REASON_NO_PERMISSION;
    case NotListedReason::Folder:
        return VAVEZE_REASON_FOLDER;
    case NotListedReason::NotRegularFile:
        return VAVEZE_REASON_NOT_A_FILE;
    case NotListedReason::Empty:
        return VAVEZE_REASON_EMPTY;
    case NotListedReason::TooLarge:
        return VAVEZE_REASON_TOO_LARGE;
    case NotListedReason::ReadError:
        return VAVEZE_REASON_UNREADABLE;
    case NotListedReason::NotZvw:
    case NotListedReason::NotZvs:
    case NotListedReason::NotZvc:
    case NotListedReason::NotZvk:
    case NotListedReason::NotAnyFormat:
        return VAVEZE_REASON_WRONG_MAGIC;
    case NotListedReason::UnknownName:
        return VAVEZE_REASON_UNKNOWN_EXTENSION;
    }
    return VAVEZE_REASON_UNREADABLE;
}

}  // namespace

ResultCodes CodesOf(const OpenResult& result)
{
    ResultCodes codes;
    codes.Format = FormatCode(result.Kind);
    codes.Warning = WarningCode(result.Warning);
    if (!result.Listed()) {
        codes.Reason = NotListedCode(result.Reason);
        codes.Message = NotListedReasonText(result, Language::English);
        return codes;
    }
    codes.Reason = ReasonCode(result.Outcome.Reason);
    codes.Status = codes.Reason == VAVEZE_REASON_NONE ? VAVEZE_OK : VAVEZE_PARTIAL;
    if (codes.Status == VAVEZE_PARTIAL) {
        codes.Offset = result.Outcome.Offset;
        codes.Message = StopText(result.Outcome, Language::English);
    }
    return codes;
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
    case VAVEZE_REASON_DAMAGED_RECORD:
        return "a record that cannot be right";
    case VAVEZE_REASON_NO_FILE:
        return "no such file";
    case VAVEZE_REASON_NOT_A_FILE:
        return "a FIFO, device or socket, not a regular file";
    case VAVEZE_REASON_UNREADABLE:
        return "the file could not be read";
    case VAVEZE_REASON_UNKNOWN_EXTENSION:
        return "not a drawing or symbol file name";
    case VAVEZE_REASON_WRONG_MAGIC:
        return "the file is not of the format its name says";
    case VAVEZE_REASON_NO_PERMISSION:
        return "no permission to read the file";
    case VAVEZE_REASON_FOLDER:
        return "a folder";
    case VAVEZE_REASON_EMPTY:
        return "the file is empty";
    case VAVEZE_REASON_TOO_LARGE:
        return "the file is too large to be read into memory";
    default:
        return "unknown reason";
    }
}

}  // namespace vaveze
