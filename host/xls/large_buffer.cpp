#include "xls/large_buffer.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace host::xls {
namespace {

#if defined(__linux__) && defined(MADV_HUGEPAGE)
constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t roundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

bool large(std::size_t capacity) { return capacity >= kHugePage; }

// Whole huge pages, aligned to one: a mapping one page too long, its ends cut off.
std::uint8_t* mapHugePages(std::size_t& capacity) {
    capacity = roundUp(capacity, kHugePage);
    void* mapped = mmap(nullptr, capacity + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = roundUp(start, kHugePage);
    if (aligned > start) munmap(mapped, aligned - start);
    const std::uintptr_t end = start + capacity + kHugePage;
    if (end > aligned + capacity) munmap(reinterpret_cast<void*>(aligned + capacity), end - (aligned + capacity));
    // Only advice: without huge pages the mapping works in small ones.
    madvise(reinterpret_cast<void*>(aligned), capacity, MADV_HUGEPAGE);
    return reinterpret_cast<std::uint8_t*>(aligned);
}
#else
bool large(std::size_t) { return false; }
std::uint8_t* mapHugePages(std::size_t&) { throw std::bad_alloc(); }
#endif

}  // namespace

std::uint8_t* allocateBytes(std::size_t& capacity) {
    if (large(capacity)) return mapHugePages(capacity);
    return static_cast<std::uint8_t*>(::operator new(capacity));
}

void releaseBytes(std::uint8_t* data, std::size_t capacity) {
    if (!data) return;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (large(capacity)) {
        munmap(data, capacity);
        return;
    }
#endif
    ::operator delete(data);
}

}  // namespace host::xls
