#include "core/readers/stringpool.h"

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

bool StringPool::MakeRoom(std::size_t bytes) noexcept
{
    const std::size_t grown = pieces_.empty() ? kFirstPieceBytes : std::min(kGrowth * pieces_.back().size(), kLastPieceBytes);
    const std::size_t size = std::max(grown, bytes);
    if (!TryRoomForOne(pieces_))  // so that the new piece cannot be lost
        return false;
    PageBuffer piece = PageBuffer::TryAllocate(size);
    if (piece.data() == nullptr)
        return false;
    pieces_.push_back(std::move(piece));
    next_ = pieces_.back().data();
    left_ = size;
    return true;
}

}  // namespace vaveze
