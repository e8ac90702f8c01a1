// What every reader target checks of the listing it builds: no line that
// reaches a sink is empty or a single space. A violation aborts, so the
// fuzzer reports it like a crash. (That the filter's output is already
// filtered is the text target's check.)
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>

#include "core/listing/listing.h"
#include "core/readers/fileaccess.h"
#include "core/readers/windowedinput.h"

namespace vaveze::fuzz {

inline constexpr ListingOptions kEveryOption{true, true, true};

// Counts the lines and folds each into a digest of the whole listing, which
// tells two listings apart without keeping them (a listing of the MS-DOS
// formats can be thousands of times its input).
class CheckingSink final : public LineSink {
public:
    void Clear() override { Lines = Digest = 0; }

    [[nodiscard]] bool Append(std::string_view line) override
    {
        if (line.empty() || line == " ")
            std::abort();
        ++Lines;
        Digest = Digest * 1000003 + std::hash<std::string_view>{}(line);
        return true;
    }

    std::size_t Lines = 0;
    std::size_t Digest = 0;
};

// How a parse ended and what was listed of it.
struct Listed {
    ParseOutcome Outcome;
    std::size_t Lines = 0;
    std::size_t Digest = 0;

    bool operator==(const Listed&) const = default;
};

// The input as the tool holds a file read from disk: in a buffer of its
// size, of the same memory (pages from the system above the fuzz build's
// small threshold, with the slack after it poisoned).
inline FileBytes FileBuffer(std::string_view bytes)
{
    PageBuffer buffer(bytes.size());
    if (!bytes.empty())
        std::memcpy(buffer.data(), bytes.data(), bytes.size());
    return FileBytes(std::move(buffer), bytes.size());
}

// Parses the input from a file buffer and lists the tables with every option
// on. As for a file from disk, the buffer is freed before the listing, so a
// table that kept a view of it reads freed memory (reported for a heap
// buffer; for one of pages, where no new piece took them meanwhile).
// Clearing then releases everything, so LeakSanitizer sees any heap table
// the reader lost (pieces of pages it does not track).
template <typename Reader, typename Parse, typename List, typename Clear>
Listed ParseAndList(std::string_view bytes, Parse parse, List list, Clear clear)
{
    Reader reader;
    Listed listed;
    {
        FileBytes file = FileBuffer(bytes);
        listed.Outcome = parse(reader, file);
    }
    CheckingSink sink;
    if (!list(reader, kEveryOption, sink))
        std::abort();  // this sink never refuses a line
    listed.Lines = sink.Lines;
    listed.Digest = sink.Digest;
    clear(reader);
    return listed;
}

// The Windows readers' two parses, every record kept and the texts alone,
// must end alike and list the same lines.
template <typename Reader, typename Parse, typename List, typename Clear>
void ParseAndListBothWays(std::string_view bytes, Parse parseAll, Parse parseTexts, List list, Clear clear)
{
    if (ParseAndList<Reader>(bytes, parseAll, list, clear) != ParseAndList<Reader>(bytes, parseTexts, list, clear))
        std::abort();
}

// The bytes of a buffer handed out in pieces of a few bytes, as a file may
// come from the system.
struct PiecesOf {
    std::string_view Bytes;
    std::size_t Given = 0;

    static std::size_t ReadSome(void* self, char* into, std::size_t most)
    {
        auto& source = *static_cast<PiecesOf*>(self);
        const std::size_t n = std::min({most, source.Bytes.size() - source.Given, 1 + source.Given % 7});
        if (n == 0)
            return 0;
        std::memcpy(into, source.Bytes.data() + source.Given, n);
        source.Given += n;
        return n;
    }
};

// The readers have two ways in: a cursor that reads the file a window at a
// time, and plain bytes. Inputs of even size take the first, with
// windows of a few dozen bytes at most, so that nearly any read may cross a
// window's end; inputs of odd size the second.
template <typename Reader, typename ParseStream, typename ParseBytes>
auto EitherWayIn(ParseStream parseStream, ParseBytes parseBytes)
{
    return [=](Reader& reader, FileBytes& file) {
        if (file.size() % 2 != 0)
            return parseBytes(reader, file.view());
        PiecesOf source{file.view()};
        WindowedInput input(file.size(), 1 + file.size() % 61, &PiecesOf::ReadSome, &source);
        InputStream in = input.Cursor();
        return parseStream(reader, in);
    };
}

}  // namespace vaveze::fuzz
