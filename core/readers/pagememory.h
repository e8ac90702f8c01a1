// Memory for what a parse writes once: the file's bytes and the readers'
// large tables. Large pieces are taken from the system in whole pages (huge
// pages where the system offers them) and given back at once when freed; a
// fresh 4 KiB page per first touch is most of what filling a large table
// would otherwise cost. Small pieces, and every piece on systems without
// such pages, come from the ordinary heap. The system calls stay in
// pagememory.cpp.
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace vaveze {

// Pieces of at least this size come from the system in whole pages. The
// fuzz build (VAVEZE_SMALL_PAGE_PIECES) lowers it so that the tables of its
// small inputs take the same path as those of large files.
#ifdef VAVEZE_SMALL_PAGE_PIECES
inline constexpr std::size_t kLargePieceBytes = 1024;
#else
inline constexpr std::size_t kLargePieceBytes = std::size_t{1} << 20;
#endif

// Throws std::bad_alloc when the memory cannot be had. The memory is not
// cleared by the program (pages from the system are zero anyway).
[[nodiscard]] void* AllocateLarge(std::size_t bytes);
// `bytes` must be the size given to AllocateLarge.
void FreeLarge(void* piece, std::size_t bytes) noexcept;

// True where a large piece takes memory only as its pages are first written
// (so room set aside and never used costs none), false where it is taken
// whole at once (the heap of Windows and WebAssembly builds).
[[nodiscard]] bool LargePiecesTakeMemoryWhenWritten() noexcept;

// A piece of any size: from the system when large, from the heap when small.
[[nodiscard]] inline void* AllocatePiece(std::size_t bytes)
{
    return bytes < kLargePieceBytes ? ::operator new(bytes) : AllocateLarge(bytes);
}

// The same, or nullptr when the memory cannot be had.
[[nodiscard]] void* TryAllocatePiece(std::size_t bytes) noexcept;

inline void FreePiece(void* piece, std::size_t bytes) noexcept
{
    if (bytes < kLargePieceBytes)
        ::operator delete(piece);
    else
        FreeLarge(piece, bytes);
}

// A buffer of raw bytes, not cleared, freed with its owner.
class PageBuffer {
public:
    PageBuffer() = default;
    explicit PageBuffer(std::size_t bytes) : data_(static_cast<char*>(AllocatePiece(bytes))), size_(bytes) {}
    // A buffer of `bytes`, or an empty one (data() == nullptr) when the
    // memory cannot be had.
    [[nodiscard]] static PageBuffer TryAllocate(std::size_t bytes) noexcept
    {
        PageBuffer out;
        out.data_ = static_cast<char*>(TryAllocatePiece(bytes));
        out.size_ = out.data_ != nullptr ? bytes : 0;
        return out;
    }
    PageBuffer(PageBuffer&& other) noexcept : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    PageBuffer& operator=(PageBuffer&& other) noexcept
    {
        PageBuffer moved(std::move(other));
        std::swap(data_, moved.data_);
        std::swap(size_, moved.size_);
        return *this;
    }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;
    ~PageBuffer()
    {
        if (data_ != nullptr)
            FreePiece(data_, size_);
    }

    [[nodiscard]] char* data() const noexcept { return data_; }
    [[nodiscard]] std::size_t size() const noexcept { return size_; }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

// The allocator of the readers' tables: a table of a million records comes
// from the system in one piece; one of eight records from the heap.
template <typename T>
struct TableAllocator {
    using value_type = T;

    TableAllocator() noexcept = default;
    template <typename U>
    TableAllocator(const TableAllocator<U>&) noexcept  // NOLINT: rebinding, as every allocator does
    {
    }

    [[nodiscard]] T* allocate(std::size_t n)
    {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocatePiece(n * sizeof(T)));
    }

    void deallocate(T* p, std::size_t n) noexcept { FreePiece(p, n * sizeof(T)); }

    template <typename U>
    bool operator==(const TableAllocator<U>&) const noexcept
    {
        return true;
    }
};

// A reader's table of records.
template <typename T>
using Table = std::vector<T, TableAllocator<T>>;

// Tables that grow without throwing: false when the room cannot be had (or
// is beyond what the table can hold), the table then as it was. Out of
// line, so that the one exception they catch never needs catching where
// they are called.
template <typename Vector>
[[nodiscard, gnu::noinline]] bool TryReserve(Vector& table, std::size_t n) noexcept
{
    if (n > table.max_size())
        return false;
    try {
        table.reserve(n);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

// Room for at least one more entry, grown as an append grows a vector:
// twice its size (at least one), or as much as it can hold.
template <typename Vector>
[[nodiscard]] bool TryRoomForOne(Vector& table) noexcept
{
    const std::size_t size = table.size();
    if (size < table.capacity())
        return true;
    const std::size_t most = table.max_size();
    if (size >= most)
        return false;
    return TryReserve(table, most - size < std::max<std::size_t>(size, 1) ? most : size + std::max<std::size_t>(size, 1));
}

// The table made `n` copies of `value`, or false (the table then as it
// was, or emptied) when it cannot be had.
template <typename Vector>
[[nodiscard, gnu::noinline]] bool TryAssign(Vector& table, std::size_t n, const typename Vector::value_type& value) noexcept
{
    try {
        table.assign(n, value);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

}  // namespace vaveze
