#include "core/readers/PageMemory.h"

#include <algorithm>
#include <cstdint>

// Whole pages straight from the system on Linux, with huge pages asked for
// where the kernel knows them. Elsewhere (Windows, WebAssembly, other
// systems) and under AddressSanitizer, which watches only the heap, large
// pieces come from the heap as small ones do.
#if defined(__SANITIZE_ADDRESS__)
#define VAVEZE_PAGES_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define VAVEZE_PAGES_FROM_HEAP 1
#endif
#endif
#if !defined(VAVEZE_PAGES_FROM_HEAP) && !defined(__linux__)
#define VAVEZE_PAGES_FROM_HEAP 1
#endif

#ifndef VAVEZE_PAGES_FROM_HEAP
#include <sys/mman.h>
#endif

namespace vaveze {

#ifdef VAVEZE_PAGES_FROM_HEAP

void* AllocateLarge(std::size_t bytes) { return ::operator new(bytes == 0 ? 1 : bytes); }

void FreeLarge(void* piece, std::size_t) noexcept { ::operator delete(piece); }

bool LargePiecesTakeMemoryWhenWritten() noexcept { return false; }

std::size_t GiveBackPages(const PageBuffer&, std::size_t from, std::size_t) noexcept { return from; }

#else

namespace {

// A huge page maps only a range aligned to its size, so a piece large
// enough to hold one starts on such a boundary.
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
// Huge pages are asked for only from this size on: a piece is charged a
// whole huge page for its first written byte, and tables set aside far more
// room than they may use. A hostile file that makes many small lists touch
// one record each of large room thus costs small pages.
constexpr std::size_t kHugePiecesFrom = std::size_t{8} << 20;

std::size_t RoundedToPages(std::size_t bytes)
{
    constexpr std::size_t kPage = 4096;
    if (bytes > SIZE_MAX - kPage)
        throw std::bad_alloc();
    return (bytes + kPage - 1) / kPage * kPage;
}

void* Map(std::size_t bytes)
{
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    return p;
}

}  // namespace

void* AllocateLarge(std::size_t bytes)
{
    const std::size_t size = RoundedToPages(bytes == 0 ? 1 : bytes);
    if (size < kHugePageBytes || size > SIZE_MAX - kHugePageBytes)
        return Map(size);
    // Map a huge page more than asked, then give back the ends outside the
    // aligned piece.
    auto* mapped = static_cast<char*>(Map(size + kHugePageBytes));
    const auto address = reinterpret_cast<std::uintptr_t>(mapped);
    const std::size_t lead = (kHugePageBytes - address % kHugePageBytes) % kHugePageBytes;
    char* piece = mapped + lead;
    if (lead != 0)
        ::munmap(mapped, lead);
    if (kHugePageBytes - lead != 0)
        ::munmap(piece + size, kHugePageBytes - lead);
#ifdef MADV_HUGEPAGE
    if (size >= kHugePiecesFrom)
        (void)::madvise(piece, size, MADV_HUGEPAGE);  // a hint: without it the pages are small
#endif
    return piece;
}

void FreeLarge(void* piece, std::size_t bytes) noexcept
{
    if (piece != nullptr)
        ::munmap(piece, RoundedToPages(bytes == 0 ? 1 : bytes));
}

bool LargePiecesTakeMemoryWhenWritten() noexcept { return true; }

std::size_t GiveBackPages(const PageBuffer& buffer, std::size_t from, std::size_t to) noexcept
{
    // Only pieces of their own pages, which start on a huge page's boundary.
    if (buffer.size() < kLargePieceBytes || buffer.size() < kHugePageBytes)
        return from;
    const std::size_t end = std::min(to, buffer.size()) / kHugePageBytes * kHugePageBytes;
    if (end <= from)
        return from;
    (void)::madvise(buffer.data() + from, end - from, MADV_DONTNEED);
    return end;
}

#endif

}  // namespace vaveze
