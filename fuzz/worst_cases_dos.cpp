// Worst cases of the MS-DOS edition's drawing and symbol files.
#include <algorithm>
#include <cstdint>

#include "fuzz/worst_cases.h"
#include "tests/dos/dos_writer.h"

namespace vaveze::fuzz {
namespace {

using namespace vaveze::doswriter;

constexpr std::size_t kZvkHeader = 400;
constexpr std::size_t kZvcNames = 2048 + 256;

// Every text points at the start of one pool without a NUL: each text is the
// whole pool, so the texts together are far larger than the file.
std::string ZvkSharedPool(std::size_t size)
{
    ZvkDocument doc = NewZvk();
    const std::size_t half = (size - kZvkHeader) / 2;
    doc.Texts.resize(half / 24);
    doc.Pool.assign(half, 'A');
    SyncZvkHeader(doc);
    return WriteZvk(doc);
}

// The largest pool a drawing can address (FFFF:FFFF from 0000:0000), every
// text pointing at its start.
std::string ZvcSharedPool(std::size_t size)
{
    ZvcDocument doc = NewZvc(true);
    doc.PoolBase = 0;
    const std::size_t pool = 0xFFFF * 16 + 0xFFFF;
    doc.Pool.assign(pool, 'B');
    const std::size_t fixed = ZvcEntityOffset(true) + kZvcNames + pool;
    doc.Texts.resize(size > fixed ? (size - fixed) / 24 : 1);
    SyncZvcHeader(doc);
    return WriteZvc(doc);
}

// Each count as large as the rules let through: the records of a symbol
// file's tables are checked one table at a time against the bytes after the
// header, so all four tables may each claim the whole file.
std::string ZvkLargestCounts(std::size_t size)
{
    ZvkDocument doc = NewZvk();
    doc.Lines.resize((size - kZvkHeader) / 22);
    SyncZvkHeader(doc);
    const std::size_t room = 22 * doc.Lines.size();
    SetField(doc.Line2, 1, IntField(static_cast<std::int64_t>(room / 32)));
    SetField(doc.Line2, 2, IntField(static_cast<std::int64_t>(room / 12)));
    SetField(doc.Line2, 3, IntField(static_cast<std::int64_t>(room / 24)));
    return WriteZvk(doc);
}

// Texts filling the drawing (as many as the pool's addresses reach, lines
// after that), and a point count as large as the file: the points follow
// the pool, so only the file's size bounds their table.
std::string ZvcLargestCounts(std::size_t size)
{
    ZvcDocument doc = NewZvc(true);
    const std::size_t room = size - ZvcEntityOffset(true);
    constexpr std::size_t kLastAddress = 0xFFFF * 16 + 0xFFFF;
    const std::size_t texts = std::min(room / 32, (kLastAddress - doc.PoolBase) / 2);
    for (std::size_t i = 0; i < texts; ++i)
        AddZvcText(doc, "T");  // 24 bytes of record and 2 of pool
    doc.Lines.resize((room - 26 * texts) / 22);
    SyncZvcHeader(doc);
    // The header lines have a fixed width, so the count does not change the size.
    SetField(doc.Line2, 3, IntField(static_cast<std::int64_t>(WriteZvc(doc).size())));
    return WriteZvc(doc);
}

}  // namespace

void AddDosWorstCases(std::vector<WorstCase>& cases, std::size_t size)
{
    cases.push_back({"shared-pool.zvk", ZvkSharedPool(size)});
    cases.push_back({"shared-pool.zvc", ZvcSharedPool(size)});
    cases.push_back({"largest-counts.zvk", ZvkLargestCounts(size)});
    cases.push_back({"largest-counts.zvc", ZvcLargestCounts(size)});
}

}  // namespace vaveze::fuzz
