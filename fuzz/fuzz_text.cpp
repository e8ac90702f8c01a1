// Fuzz target: the text utilities and the header field splitter on arbitrary
// bytes. The first bytes choose the numeric arguments; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/text/Func_.h"
#include "core/text/linefilter.h"
#include "core/readers/dos/dosrecords.h"

namespace {

std::int32_t TakeI32(std::string_view& bytes)
{
    std::uint32_t v = 0;
    const std::size_t n = bytes.size() < 4 ? bytes.size() : 4;
    std::memcpy(&v, bytes.data(), n);
    bytes.remove_prefix(n);
    return static_cast<std::int32_t>(v);
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vaveze;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::int32_t start = TakeI32(bytes);
    const std::int32_t count = TakeI32(bytes);
    const std::string_view text = bytes;

    // The filter only drops bytes, and what it keeps is already filtered.
    const std::string filtered = FilterSjisLine(text);
    Check(filtered.size() <= text.size());
    Check(FilterSjisLine(filtered) == filtered);
    // The tool's output filters straight into its block, within the text's
    // own size: the same bytes.
    const std::unique_ptr<char[]> copied(new char[text.size()]);
    Check(std::string_view(copied.get(), CopyFilteredSjisLine(text, copied.get())) == filtered);

    const std::string part = CopyClamped(text, start, count);
    Check(part.empty() || (count > 0 && part.size() <= static_cast<std::size_t>(count) &&
                           text.find(part) != std::string_view::npos));

    (void)TextToInt(text);
    try {
        (void)TextToSingle(text);
    } catch (const ConversionOverflow&) {
        // the one error the conversion is allowed to raise
    }

    // Header lines are split into at most a few dozen fields.
    const std::size_t fields = static_cast<std::uint32_t>(count) % 40;
    Check(SplitFields(text, fields).size() == fields);
    return 0;
}
