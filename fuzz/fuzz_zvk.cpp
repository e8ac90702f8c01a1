// Fuzz target: arbitrary bytes parsed as a ZVK file and listed with every option on.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_listing_check.h"
#include "core/readers/dos/zvkunit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vaveze;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto parse = fuzz::EitherWayIn<ZvkReader>(ParseZvkStream, ParseZvkBytes);
    fuzz::ParseAndList<ZvkReader>(bytes, parse, ListZvk, ResetZvk);
    return 0;
}
