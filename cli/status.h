// Exit statuses and how the files of a batch add up to one.
#pragma once

namespace vaveze::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNotRecognised = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPartial = 3;
inline constexpr int kExitWriteError = 4;
// The run was stopped by a fault: memory ran out outside a file's own
// reading, or the program itself was at fault (the tool's guard says which).
inline constexpr int kExitFault = 5;

// The batch's status: the most severe of its files', where a listing that
// could not be written outweighs a file not recognised, which outweighs a
// file listed in part.
[[nodiscard]] constexpr int Severity(int status)
{
    switch (status) {
    case kExitWriteError:
        return 3;
    case kExitNotRecognised:
        return 2;
    case kExitPartial:
        return 1;
    default:
        return 0;
    }
}

[[nodiscard]] constexpr int Worse(int a, int b) { return Severity(b) > Severity(a) ? b : a; }

}  // namespace vaveze::cli
