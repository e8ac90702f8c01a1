// Fuzz target: arbitrary bytes parsed as a ZVC file and listed with every option on.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_listing_check.h"
#include "core/readers/dos/zvcunit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vaveze;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto parse = fuzz::EitherWayIn<ZvcReader>(ParseZvcStream, ParseZvcBytes);
    fuzz::ParseAndList<ZvcReader>(bytes, parse, ListZvc, ResetZvc);
    return 0;
}
