// Seeds for the text utilities target: four bytes of start position, four of
// count (which also chooses the number of header fields), then the text.
#include <cstdint>
#include <cstring>

#include "fuzz/seeds.h"

namespace vaveze::fuzz {
namespace {

std::string WithArguments(std::int32_t start, std::int32_t count, std::string_view text)
{
    std::string out(8, '\0');
    std::memcpy(out.data(), &start, 4);
    std::memcpy(out.data() + 4, &count, 4);
    out.append(text);
    return out;
}

}  // namespace

void AddTextSeeds(SeedSet& seeds)
{
    const std::vector<std::string> texts = {
        "", " 12", "12 ", "+7", "-0", "$1F", "0x10", "-$10", "FFFFFFFF", "$FFFFFFFF", "$100000000", "2147483648",
        "-2147483648", "1,5", std::string("12\0A", 4), "1.5", " -2.5e2", "1e", "3.", ".5", ".", "   ",
        "3.4028235e38", "3.5e38", "1e-45", std::string("\x41\x09\x42"), std::string("\x82\xA0\x0A"),
        std::string("\x82\x0A\x41"), std::string("\x41\x81"), std::string("\x80\x41"), std::string("\xFE\x41"),
        std::string("\x7F"),
    };
    int i = 0;
    for (const std::string& text : texts)
        seeds.Add("text" + std::to_string(i++), WithArguments(1, 9, text));

    // Header lines as the DOS files hold them: commas, NUL padding, a comma
    // as the last byte.
    std::string line = "12,,7";
    line.resize(200, '\0');
    seeds.Add("line-nul-padded", WithArguments(0, 4, line));
    std::string full(199, '1');
    full += ',';
    seeds.Add("line-comma-last", WithArguments(6, 32, full));
    seeds.Add("line-pool-address", WithArguments(1, 22, "6000:0000,6000:0010,0.0,0.0"));
    seeds.Add("clamped", WithArguments(-5, 2, "ABCDE"));
    seeds.Add("clamped-far", WithArguments(2147483647, 2147483647, "ABCDE"));
}

}  // namespace vaveze::fuzz
