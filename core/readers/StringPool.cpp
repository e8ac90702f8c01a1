#include "core/readers/StringPool.h"

#include <algorithm>

namespace vaveze {
namespace {

// Pieces grow eightfold from the first to the last size: a small file's
// strings take a small piece, a large file's soon go to pieces large enough
// for huge pages (PageMemory), and no piece holds much room it will not use.
constexpr std::size_t kFirstPieceBytes = std::size_t{16} << 10;
constexpr std::size_t kLastPieceBytes = std::size_t{16} << 20;
constexpr std::size_t kGrowth = 8;

}  // namespace

void StringPool::MakeRoom(std::size_t bytes)
{
    const std::size_t grown = pieces_.empty() ? kFirstPieceBytes : std::min(kGrowth * pieces_.back().size(), kLastPieceBytes);
    const std::size_t size = std::max(grown, bytes);
    pieces_.reserve(pieces_.size() + 1);  // so that the new piece cannot be lost
    pieces_.emplace_back(size);
    next_ = pieces_.back().data();
    left_ = size;
}

}  // namespace vaveze
