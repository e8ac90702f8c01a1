#include "core/readers/pagememory.h"

#include <cstdint>

// Whole pages straight from the system on Linux, with huge pages asked for
// where the kernel knows them. Elsewhere (Windows, WebAssembly, other
// systems) and under MemorySanitizer, large pieces come from the heap as
// small ones do. Under AddressSanitizer the slack after a piece is
// poisoned, so reading it is reported like a read past a heap block.
#if defined(__has_feature)
#if __has_feature(memory_sanitizer)
#define VAVEZE_PAGES_FROM_HEAP 1
#endif
#if __has_feature(address_sanitizer)
#define VAVEZE_PAGES_POISONED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VAVEZE_PAGES_POISONED 1
#endif
#if !defined(VAVEZE_PAGES_FROM_HEAP) && !defined(__linux__)
#define VAVEZE_PAGES_FROM_HEAP 1
#endif

#ifndef VAVEZE_PAGES_FROM_HEAP
#include <sys/mman.h>
#endif
#if defined(VAVEZE_PAGES_POISONED) && !defined(VAVEZE_PAGES_FROM_HEAP)
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#endif
#ifdef VAVEZE_SMALL_PAGE_PIECES
#include <cstdio>
#include <cstdlib>
#endif

namespace vaveze {

// The one place a piece that cannot be had is turned from an exception into
// a result, so that the readers' own code throws nothing.
void* TryAllocatePiece(std::size_t bytes) noexcept
{
    try {
        return AllocatePiece(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

#ifdef VAVEZE_PAGES_FROM_HEAP

void* AllocateLarge(std::size_t bytes) { return ::operator new(bytes == 0 ? 1 : bytes); }

void FreeLarge(void* piece, std::size_t) noexcept { ::operator delete(piece); }

bool LargePiecesTakeMemoryWhenWritten() noexcept { return false; }

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
constexpr std::size_t kPageBytes = 4096;

#if defined(VAVEZE_PAGES_POISONED)
// Poisoned bytes after every piece, even one that fills its pages, so that
// a read just past its end is caught.
constexpr std::size_t kRedZoneBytes = 64;

void Poison(const char* from, std::size_t bytes) noexcept { ASAN_POISON_MEMORY_REGION(from, bytes); }
void Unpoison(const char* from, std::size_t bytes) noexcept { ASAN_UNPOISON_MEMORY_REGION(from, bytes); }
#else
constexpr std::size_t kRedZoneBytes = 0;
#endif

// The pages a piece of `bytes` takes.
std::size_t MappedSize(std::size_t bytes)
{
    const std::size_t wanted = (bytes == 0 ? 1 : bytes);
    if (wanted > SIZE_MAX - kPageBytes - kRedZoneBytes)
        throw std::bad_alloc();
    return (wanted + kRedZoneBytes + kPageBytes - 1) / kPageBytes * kPageBytes;
}

void* Map(std::size_t bytes)
{
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    return p;
}

void* MapPiece(std::size_t size)
{
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

}  // namespace

void* AllocateLarge(std::size_t bytes)
{
#ifdef VAVEZE_SMALL_PAGE_PIECES
    // The fuzz build's inputs are small: no piece they cause may come near
    // this, as no heap block may.
    constexpr std::size_t kLargestPiece = std::size_t{64} << 20;
    if (bytes > kLargestPiece) {
        std::fprintf(stderr, "a piece of %zu bytes asked for, above the limit of %zu\n", bytes, kLargestPiece);
        std::abort();
    }
#endif
    const std::size_t size = MappedSize(bytes);
    void* piece = MapPiece(size);
#ifdef VAVEZE_PAGES_POISONED
    Poison(static_cast<char*>(piece) + bytes, size - bytes);
    // The leak checker searches the heap and the program's own memory for
    // pointers, not pages mapped by hand: strings on the heap that only a
    // table in such pages points to would look lost.
    __lsan_register_root_region(piece, bytes);
#endif
    return piece;
}

void FreeLarge(void* piece, std::size_t bytes) noexcept
{
    if (piece == nullptr)
        return;
    const std::size_t size = MappedSize(bytes);
#ifdef VAVEZE_PAGES_POISONED
    __lsan_unregister_root_region(piece, bytes);
    // The pages may be mapped again for something else.
    Unpoison(static_cast<const char*>(piece), size);
#endif
    ::munmap(piece, size);
}

bool LargePiecesTakeMemoryWhenWritten() noexcept { return true; }

#endif

}  // namespace vaveze
