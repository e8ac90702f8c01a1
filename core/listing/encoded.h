// The bytes of a listing as vaveze-list writes them: Shift-JIS with CR LF as
// the window saves it, or UTF-8 with LF, each line optionally behind its
// file's path. Every front that writes a listing's bytes writes them here.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/listing/listing.h"

namespace vaveze {

// A path in the output's encoding: UTF-8, or code page 932 with "?" for
// each character it cannot hold.
[[nodiscard]] std::string PathText(const std::filesystem::path& path, bool utf8);

// "path:" in the output's encoding, as PathText.
[[nodiscard]] std::string PathPrefix(const std::filesystem::path& path, bool utf8);

// UTF-8 text with its control characters (C0 but TAB, and DEL) as their
// pictures, U+2400 to U+241F and U+2421: a text with a line feed or a NUL in
// it stays one line, which grep reads as text.
[[nodiscard]] std::string WithControlPictures(std::string utf8);

// A listing line (Shift-JIS) as every front shows it as text: decoded to
// UTF-8, its control characters as their pictures. What the tool's UTF-8
// output, the C library's whole UTF-8 listing, Python's and Node's line
// texts hold.
[[nodiscard]] std::string DisplayText(std::string_view line);

// Encodes listing lines and streams them to a file or a string. Many texts
// of a file may share one long pooled string, so a listing can be far
// larger than its file: holding only a block of fixed size keeps memory
// independent of the listing's size. The bytes go to a writer: standard
// output, a file being saved, a string.
class EncodedSink final : public LineSink {
public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 16;

    // Takes a block of bytes; 0, or the errno of a failed write.
    using Writer = std::function<int(std::string_view)>;

    EncodedSink(Writer writer, bool utf8, std::string prefix = {});

    void Clear() override;
    // False once writing has failed, which ends the listing early.
    [[nodiscard]] bool Append(std::string_view line) override;
    // In Shift-JIS each text is filtered straight into the block, behind the
    // prefix; the line is kept only when it comes out other than blank.
    [[nodiscard]] bool AppendTexts(std::span<const std::string_view> texts) override;
    // Writes out what is buffered; 0, or the errno of the first failed write.
    [[nodiscard]] int Finish();
    [[nodiscard]] std::size_t Lines() const { return lines_; }

private:
    // Puts the texts into the block up to the first that might not fit in
    // what is left of it; how many it took.
    [[nodiscard]] std::size_t FillBlock(std::span<const std::string_view> texts);
    // Into the block, or on their own when they are larger than it.
    void Write(std::string_view bytes);
    void Flush();
    // To the writer; nothing after a failure.
    void Put(std::string_view bytes);

    Writer writer_;
    bool utf8_;
    std::string prefix_;
    std::unique_ptr<char[]> block_;
    std::size_t used_ = 0;
    std::size_t lines_ = 0;
    int error_ = 0;
};

}  // namespace vaveze
