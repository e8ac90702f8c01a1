// The table of every line of the file list, as the window writes it: one
// CSV (CsvTable, in the listing's encoding, Shift-JIS) of every file listed
// with the boxes as they are, one file per step, so that the window answers
// and 中止 is heard between two. Where the flow writes files itself it goes
// into a pending file that replaces the target only once complete; where the
// front writes them (the page) it is gathered here and handed over whole.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/listing/csvtable.h"
#include "core/listing/listing.h"
#include "core/session/filelist.h"
#include "core/writing/filewriting.h"

namespace vaveze {
class Session;
}

namespace vaveze::window {

class TableExport {
public:
    // `files` as they are now; into `target` on this system, or into memory
    // (`inMemory`) for the front to write.
    TableExport(const FileList& files, const ListingOptions& options, const std::filesystem::path& target,
                bool inMemory);
    ~TableExport();
    TableExport(const TableExport&) = delete;
    TableExport& operator=(const TableExport&) = delete;

    // 0, or the errno of the first failure to write.
    [[nodiscard]] int Error() const noexcept;
    [[nodiscard]] const std::filesystem::path& Target() const noexcept { return target_; }
    [[nodiscard]] const std::vector<Source>& Files() const noexcept { return files_; }
    [[nodiscard]] std::size_t Count() const noexcept { return files_.size(); }
    // Files done so far: the index of the next one.
    [[nodiscard]] std::size_t Position() const noexcept { return position_; }
    [[nodiscard]] bool Finished() const noexcept { return position_ >= files_.size() || Error() != 0; }
    // Rows written, the header aside.
    [[nodiscard]] std::size_t Lines() const noexcept { return lines_; }

    // Reads the next file and adds its lines (none when it could not be
    // listed).
    void AddNext();
    // The same from the bytes the front read; a file it could not read
    // (`failure`) adds no line.
    void AddNext(std::string_view bytes, const std::string& failure);

    // Writes out the rest and puts the table in its target's place; 0, or
    // the errno of the first failure.
    [[nodiscard]] int Commit();
    // The table, in memory, for the front to write.
    [[nodiscard]] std::string TakeBytes() { return std::move(memory_); }

private:
    class Counter;
    void AddListing(const Session& session);

    std::vector<Source> files_;
    ListingOptions options_;
    std::filesystem::path target_;
    std::unique_ptr<PendingFile> file_;
    std::string memory_;
    std::unique_ptr<CsvTable> table_;
    std::size_t position_ = 0;
    std::size_t lines_ = 0;
};

}  // namespace vaveze::window
