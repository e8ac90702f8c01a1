// What every reader target checks of the listing it builds: each line that
// reaches a sink has passed the line filter and is worth a line. A violation
// aborts, so the fuzzer reports it like a crash.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/Func_.h"
#include "app/listing.h"

namespace vaveze::fuzz {

inline constexpr ListingOptions kEveryOption{true, true, true};

class CheckingSink final : public LineSink {
public:
    void Clear() override
    {
        lines_ = 0;
        hash_ = kFnvOffset;
    }

    [[nodiscard]] bool Append(std::string_view line) override
    {
        if (line.empty() || line == " " || FilterSjisLine(line) != line)
            std::abort();
        ++lines_;
        for (const char c : line)
            hash_ = (hash_ ^ static_cast<unsigned char>(c)) * kFnvPrime;
        hash_ = (hash_ ^ '\n') * kFnvPrime;  // keeps line boundaries in the hash
        return true;
    }

    [[nodiscard]] bool SameListingAs(const CheckingSink& other) const
    {
        return lines_ == other.lines_ && hash_ == other.hash_;
    }

private:
    static constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
    static constexpr std::uint64_t kFnvPrime = 1099511628211ull;
    std::size_t lines_ = 0;
    std::uint64_t hash_ = kFnvOffset;
};

// Parses the bytes, lists the tables, then parses the same bytes again into
// the same tables: every parse starts from the reset state, so the second
// pass must give the same result and the same listing as the first.
template <typename Reader, typename Parse, typename List, typename Clear>
void ParseAndListTwice(std::string_view bytes, Parse parse, List list, Clear clear)
{
    Reader reader;
    const bool firstResult = parse(reader, bytes);
    CheckingSink first;
    if (!list(reader, kEveryOption, first))
        std::abort();  // this sink never refuses a line
    const bool secondResult = parse(reader, bytes);
    CheckingSink second;
    if (!list(reader, kEveryOption, second))
        std::abort();
    if (firstResult != secondResult || !first.SameListingAs(second))
        std::abort();
    clear(reader);
}

}  // namespace vaveze::fuzz
