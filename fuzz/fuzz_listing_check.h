// What every reader target checks of the listing it builds: no line that
// reaches a sink is empty or a single space. A violation aborts, so the
// fuzzer reports it like a crash. (That the filter's output is already
// filtered is the text target's check.)
#pragma once

#include <cstddef>
#include <cstdlib>
#include <string_view>

#include "core/listing/listing.h"

namespace vaveze::fuzz {

inline constexpr ListingOptions kEveryOption{true, true, true};

class CheckingSink final : public LineSink {
public:
    void Clear() override { lines_ = 0; }

    [[nodiscard]] bool Append(std::string_view line) override
    {
        if (line.empty() || line == " ")
            std::abort();
        ++lines_;
        return true;
    }

    [[nodiscard]] std::size_t Lines() const { return lines_; }

private:
    std::size_t lines_ = 0;
};

// Parses the bytes and lists the tables with every option on; clearing then
// releases everything, so LeakSanitizer sees any table the reader lost.
template <typename Reader, typename Parse, typename List, typename Clear>
void ParseAndList(std::string_view bytes, Parse parse, List list, Clear clear)
{
    Reader reader;
    (void)parse(reader, bytes);
    CheckingSink sink;
    if (!list(reader, kEveryOption, sink))
        std::abort();  // this sink never refuses a line
    clear(reader);
}

}  // namespace vaveze::fuzz
