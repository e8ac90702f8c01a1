// The table of every line of the file list, a file per step.
#include "core/window/tableexport.h"

#include <new>

#include "core/session/session.h"

namespace vaveze::window {

// Counts the rows a listing adds, as it passes them on to the table.
class TableExport::Counter final : public LineSink {
public:
    explicit Counter(CsvTable& table) : table_(table) {}

    void Clear() override
    {
        lines_ = 0;
        table_.Clear();
    }
    void SetKind(LineKind kind, std::int32_t block) override { table_.SetKind(kind, block); }
    [[nodiscard]] bool Append(std::string_view line) override
    {
        ++lines_;
        return table_.Append(line);
    }
    [[nodiscard]] std::size_t Lines() const noexcept { return lines_; }

private:
    CsvTable& table_;
    std::size_t lines_ = 0;
};

TableExport::TableExport(const FileList& files, const ListingOptions& options, const std::filesystem::path& target,
                         bool inMemory)
    : options_(options), target_(target)
{
    files_.reserve(files.Size());
    for (const ListedFile& file : files.Files())
        files_.push_back(file.Where);
    CsvTable::Writer writer;
    if (inMemory) {
        writer = [this](std::string_view bytes) {
            memory_.append(bytes);
            return 0;
        };
    } else {
        file_ = std::make_unique<PendingFile>(target);
        writer = [fd = file_->Descriptor()](std::string_view bytes) { return WriteAll(fd, bytes); };
    }
    table_ = std::make_unique<CsvTable>(std::move(writer), false);
}

TableExport::~TableExport() = default;

int TableExport::Error() const noexcept
{
    if (file_ && file_->Error() != 0)
        return file_->Error();
    return table_->Error();
}

void TableExport::AddListing(const Session& session)
{
    table_->StartFile(files_[position_].Path);
    Counter counter(*table_);
    (void)session.List(options_, counter);
    lines_ += counter.Lines();
}

void TableExport::AddNext()
{
    const Source& source = files_[position_];
    if (source.WalkProblem.empty()) {
        try {
            Session session;
            if (session.Open(source.Path).Listed())
                AddListing(session);
        } catch (const std::bad_alloc&) {
            // A file too large for the memory left adds no line; the table
            // goes on with the next.
        }
    }
    ++position_;
}

void TableExport::AddNext(std::string_view bytes, const std::string& failure)
{
    if (failure.empty()) {
        Session session;
        if (session.OpenBytes(bytes, files_[position_].Path).Listed())
            AddListing(session);
    }
    ++position_;
}

int TableExport::Commit()
{
    int error = table_->Finish();
    if (error == 0 && file_)
        error = file_->Commit();
    return error;
}

}  // namespace vaveze::window
