// --json: the listing as JSON Lines, one object per line of the listing,
// for programs in any language:
//   {"path":"plan.zvw","line":3,"kind":"text","block":null,"text":"T1","bytes":"5431"}
// With --salvage each line says whether it was salvaged, and one object
// after a file's lines tells each place the salvage reading passed over:
//   {"path":"plan.zvw","skipped":{"reason":"damaged_record","from":3000,"to":3210}}
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/listing/listing.h"
#include "core/readers/salvage.h"

namespace vaveze::cli {

// The stable name of a kind of line, as --json writes it: the core's.
[[nodiscard]] inline std::string_view KindName(LineKind kind) { return LineKindName(kind); }
// The stable name of why a salvage reading passed over a place.
[[nodiscard]] std::string_view ReasonName(StopReason reason);

// Writes each line of a listing as one JSON object and LF, in blocks.
class JsonLinesSink final : public LineSink {
public:
    // Takes a block of bytes; 0, or the errno of a failed write.
    using Writer = std::function<int(std::string_view)>;

    // `path` is UTF-8, as the messages show it. `salvage`: each line says
    // whether it was salvaged.
    JsonLinesSink(Writer writer, std::string_view path, bool salvage = false);

    void Clear() override;
    void SetKind(LineKind kind, std::int32_t block) override;
    void StartSalvaged() override;
    // One object per place a salvage reading passed over.
    void AddSkipped(const std::vector<SkippedPlace>& places);
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
    std::string path_;   // {"path":"..."
    std::string start_;  // {"path":"...","line":
    std::string kind_;   // ,"kind":"...","block":...,("salvaged":...,)"text":
    bool salvage_;
    bool salvaged_ = false;
    LineKind kindNow_ = LineKind::Text;
    std::int32_t blockNow_ = kNoBlock;
    std::string buffer_;
    std::size_t lines_ = 0;
    int error_ = 0;
};

}  // namespace vaveze::cli
