// --json: the listing as JSON Lines, one object per line of the listing,
// for programs in any language:
//   {"path":"plan.zvw","line":3,"kind":"text","block":null,"text":"T1","bytes":"5431"}
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/listing/listing.h"

namespace vaveze::cli {

// The stable name of a kind of line, as --json writes it: the core's.
[[nodiscard]] inline std::string_view KindName(LineKind kind) { return LineKindName(kind); }

// Writes each line of a listing as one JSON object and LF, in blocks.
class JsonLinesSink final : public LineSink {
public:
    // Takes a block of bytes; 0, or the errno of a failed write.
    using Writer = std::function<int(std::string_view)>;

    // `path` is UTF-8, as the messages show it.
    JsonLinesSink(Writer writer, std::string_view path);

    void Clear() override;
    void SetKind(LineKind kind, std::int32_t block) override;
    // False once writing has failed, which ends the listing early.
    [[nodiscard]] bool Append(std::string_view line) override;
    // The line numbered `number` in its listing (a hit of --grep), leaving
    // the count of lines as it is.
    [[nodiscard]] bool AppendAt(std::size_t number, std::string_view line);
    // Writes out what is buffered; 0, or the errno of the first failed write.
    [[nodiscard]] int Finish();
    [[nodiscard]] std::size_t Lines() const { return lines_; }

private:
    void Flush();

    Writer writer_;
    std::string start_;  // {"path":"...","line":
    std::string kind_;   // ,"kind":"...","block":...,"text":
    std::string buffer_;
    std::size_t lines_ = 0;
    int error_ = 0;
};

}  // namespace vaveze::cli
