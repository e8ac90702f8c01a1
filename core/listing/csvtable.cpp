// One table of many listings, written as CSV.
#include "core/listing/csvtable.h"

#include <utility>

#include "core/listing/encoded.h"

namespace vaveze {
namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;

// Appends a field: quoted when it must be, behind an apostrophe when a
// spreadsheet would take it for a formula. In Shift-JIS no second byte of a
// character is a quote, a comma, CR or LF, so the bytes are looked at alone.
void AppendField(std::string& out, std::string_view text)
{
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    const bool quoted = text.find_first_of("\",\r\n") != std::string_view::npos;
    if (quoted)
        out += '"';
    if (formula)
        out += '\'';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    if (quoted)
        out += '"';
}

}  // namespace

CsvTable::CsvTable(Writer writer, bool utf8, bool byteOrderMark) : writer_(std::move(writer)), utf8_(utf8)
{
    if (utf8_ && byteOrderMark)
        buffer_ = "\xEF\xBB\xBF";
    buffer_ += "file,line,kind,block,text\r\n";
    SetKind(LineKind::Text, kNoBlock);
}

void CsvTable::StartFile(const std::filesystem::path& path)
{
    file_.clear();
    AppendField(file_, PathText(path, utf8_));
    line_ = 0;
}

void CsvTable::Clear() { line_ = 0; }

void CsvTable::SetKind(LineKind kind, std::int32_t block)
{
    kind_ = ',';
    kind_ += LineKindName(kind);
    kind_ += ',';
    if (block != kNoBlock)
        kind_ += std::to_string(block);
    kind_ += ',';
}

bool CsvTable::Append(std::string_view line)
{
    buffer_ += file_;
    buffer_ += ',';
    buffer_ += std::to_string(++line_);
    buffer_ += kind_;
    AppendField(buffer_, utf8_ ? DisplayText(line) : std::string(line));
    buffer_ += "\r\n";
    if (buffer_.size() >= kBlockSize)
        Flush();
    return error_ == 0;
}

int CsvTable::Finish()
{
    Flush();
    return error_;
}

void CsvTable::Flush()
{
    if (error_ == 0 && !buffer_.empty())
        error_ = writer_(buffer_);
    buffer_.clear();
}

}  // namespace vaveze
