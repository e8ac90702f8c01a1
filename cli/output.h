// The bytes of a listing: Shift-JIS with CR LF as the window saves it, or
// UTF-8 with LF, each line optionally behind its file's path.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/listing/listing.h"

namespace vaveze::cli {

// "path:" in the output's encoding: UTF-8, or code page 932 with "?" for
// each character it cannot hold.
[[nodiscard]] std::string PathPrefix(const std::filesystem::path& path, bool utf8);

// Encodes listing lines and streams them to a file. Many texts of a file may
// share one long pooled string, so a listing can be far larger than its
// file: holding only a buffer keeps memory independent of the listing's size.
// Writes go to a descriptor (standard output, or a file being saved).
class EncodedSink final : public LineSink {
public:
    EncodedSink(int fd, bool utf8, std::string prefix = {}) : fd_(fd), utf8_(utf8), prefix_(std::move(prefix)) {}

    void Clear() override;
    // False once writing has failed, which ends the listing early.
    [[nodiscard]] bool Append(std::string_view line) override;
    // Writes out what is buffered; 0, or the errno of the first failed write.
    [[nodiscard]] int Finish();
    [[nodiscard]] std::size_t Lines() const { return lines_; }

private:
    void Flush();

    int fd_;
    bool utf8_;
    std::string prefix_;
    std::string buffer_;
    std::size_t lines_ = 0;
    int error_ = 0;
};

}  // namespace vaveze::cli
