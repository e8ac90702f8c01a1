// The lines of many files' listings as one table for a spreadsheet: CSV as
// RFC 4180 writes it (a header row, the columns file, line, kind, block and
// text, CR LF after each row, a field quoted when it holds a quote, a comma,
// CR or LF, its quotes doubled), in Shift-JIS, which a Japanese spreadsheet
// opens by a double-click, or in UTF-8 with a byte-order mark.
//
// A file name or text that starts with =, +, -, @, TAB or CR, which a
// spreadsheet would take for a formula (and run), is written behind an
// apostrophe, so that it shows as the text it is. Everything else is the
// listing's: its bytes in Shift-JIS, its texts with their control pictures
// in UTF-8, as the tool writes a listing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "core/listing/listing.h"

namespace vaveze {

class CsvTable final : public LineSink {
public:
    // Takes a block of bytes; 0, or the errno of a failed write.
    using Writer = std::function<int(std::string_view)>;

    // The byte-order mark (UTF-8, when asked) and the header row come first.
    CsvTable(Writer writer, bool utf8, bool byteOrderMark = true);

    // The rows from now on are the lines of this file's listing.
    void StartFile(const std::filesystem::path& path);

    // A listing of the file starts: its lines count from 1 again. Rows
    // already written stay.
    void Clear() override;
    void SetKind(LineKind kind, std::int32_t block) override;
    // False once writing has failed, which ends the listing early.
    [[nodiscard]] bool Append(std::string_view line) override;
    // Writes out what is buffered; 0, or the errno of the first failed write.
    [[nodiscard]] int Finish();
    [[nodiscard]] int Error() const noexcept { return error_; }

private:
    void Flush();

    Writer writer_;
    bool utf8_;
    std::string file_;  // the file column, as written
    std::string kind_;  // ",kind,block," as written
    std::size_t line_ = 0;
    std::string buffer_;
    int error_ = 0;
};

}  // namespace vaveze
