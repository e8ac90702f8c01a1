// Faults that escape the flow: the one guard each front puts where its event
// loop or entry point calls into the core, and the hook by which tests make
// the flow fail inside, as if memory ran out there or the program were at
// fault.
//
// Running out of memory where it is expected (a file too large to hold) is
// caught there and has its own message. Everything else travels up to the
// front's guard, which says "out of memory" for std::bad_alloc and "internal
// error" for anything else, and keeps the front answering: no exception
// unwinds through a toolkit's, the system's or a C caller's frames.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "core/session/messages.h"

namespace vaveze {

enum class FaultKind : std::uint8_t {
    OutOfMemory,  // std::bad_alloc, or a size past what can be allocated (std::length_error)
    Internal,     // anything else: a fault of the program itself
};

struct Fault {
    FaultKind Kind = FaultKind::Internal;
    std::string What;  // the exception's own words, for an internal error; may be empty
};

// The exception being handled, as a fault; call only inside a catch block.
[[nodiscard]] Fault CurrentFault() noexcept;

// What a guard tells the user of a fault: OutOfMemoryMessage or
// InternalErrorMessage (texts.h).
[[nodiscard]] std::string FaultMessage(const Fault& fault, Language language = Language::Japanese);

// Runs `body` and returns what it returns; when an exception escapes it,
// returns onFault(the fault) instead. onFault must not throw.
template <class Body, class OnFault>
auto Guarded(Body&& body, OnFault&& onFault) noexcept -> decltype(body())
{
    try {
        return body();
    } catch (...) {
        return onFault(CurrentFault());
    }
}

// The tests' hook. ArmFault makes the flow throw at a fault point, after
// `after` points have passed: std::bad_alloc for OutOfMemory, as an
// allocation that fails there, std::logic_error for Internal. It throws
// once, then the flow runs as before. A process's first fault point also
// reads VAVEZE_TEST_FAULT, "memory" or "internal", optionally ":N" for
// `after` (for tests that start a program); nothing else sets it off.
void ArmFault(FaultKind kind, unsigned after = 0) noexcept;
void DisarmFault() noexcept;

// A place in the flow where an allocation may fail (opening and listing a
// file): throws once as armed, else does nothing.
void FaultPoint();

}  // namespace vaveze
