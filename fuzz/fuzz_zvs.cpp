// Fuzz target: arbitrary bytes parsed as a ZVS file and listed with every option on,
// every record kept and the texts alone, the two listings compared.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_listing_check.h"
#include "core/readers/win/zvsunit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vaveze;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto parseAll = fuzz::EitherWayIn<ZvsReader>(ParseZvsStream, ParseZvsBytes);
    const auto parseTexts = fuzz::EitherWayIn<ZvsReader>(ParseZvsTextsStream, ParseZvsTextsBytes);
    fuzz::ParseAndListBothWays<ZvsReader>(bytes, parseAll, parseTexts, ListZvs, ResetZvs);
    return 0;
}
