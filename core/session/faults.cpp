#include "core/session/faults.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string_view>

#include "core/session/texts.h"

namespace vaveze {
namespace {

// What is armed: 0 nothing, else 1 + the FaultKind; and how many points
// pass first.
std::atomic<unsigned> gArmed{0};
std::atomic<unsigned> gPassing{0};

void ArmFromEnvironment() noexcept
{
    const char* value = std::getenv("VAVEZE_TEST_FAULT");
    if (value == nullptr)
        return;
    const std::string_view text(value);
    const std::string_view kind = text.substr(0, text.find(':'));
    const unsigned after = text.size() > kind.size() ? static_cast<unsigned>(std::atoi(value + kind.size() + 1)) : 0;
    if (kind == "memory")
        ArmFault(FaultKind::OutOfMemory, after);
    else if (kind == "internal")
        ArmFault(FaultKind::Internal, after);
}

}  // namespace

Fault CurrentFault() noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return {FaultKind::OutOfMemory, {}};
    } catch (const std::length_error&) {
        return {FaultKind::OutOfMemory, {}};
    } catch (const std::exception& error) {
        try {
            return {FaultKind::Internal, error.what()};
        } catch (...) {
            return {};  // no memory left for its words
        }
    } catch (...) {
        return {};
    }
}

std::string FaultMessage(const Fault& fault, Language language)
{
    return fault.Kind == FaultKind::OutOfMemory ? OutOfMemoryMessage(language)
                                                : InternalErrorMessage(fault.What, language);
}

void ArmFault(FaultKind kind, unsigned after) noexcept
{
    gPassing = after;
    gArmed = 1 + static_cast<unsigned>(kind);
}

void DisarmFault() noexcept { gArmed = 0; }

void FaultPoint()
{
    static std::once_flag environment;
    std::call_once(environment, ArmFromEnvironment);
    if (gArmed.load(std::memory_order_relaxed) == 0)
        return;
    // A point passes while any are left to pass; the first after them
    // takes the fault, and only one thread does.
    for (unsigned passing = gPassing.load(); passing != 0;)
        if (gPassing.compare_exchange_weak(passing, passing - 1))
            return;
    const unsigned armed = gArmed.exchange(0);
    if (armed == 1 + static_cast<unsigned>(FaultKind::OutOfMemory))
        throw std::bad_alloc();
    if (armed == 1 + static_cast<unsigned>(FaultKind::Internal))
        throw std::logic_error("a fault set off by VAVEZE_TEST_FAULT or ArmFault");
}

}  // namespace vaveze
