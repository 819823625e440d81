#include "host/memory_reuse.h"

#include <cstdlib>  // defines __GLIBC__ with the C library
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <system_error>

namespace host {

namespace {
// Set once freed memory stays in the heap: only then is a HeapRoom's block still there, and
// still the heap's, when its pages are faulted in.
std::atomic<bool> freedMemoryStays{false};
}  // namespace

void reuseFreedMemory() {
#if defined(__GLIBC__)
    // Blocks under 32 MB (the most the C library allows here) come from the heap rather than
    // from mappings of their own, and the heap keeps up to 64 MB free at its top instead of
    // returning it at once.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    // One heap for every thread: a save's second writer then builds its records in memory
    // the open has used, rather than in a fresh heap of its own thread.
    mallopt(M_ARENA_MAX, 1);
    freedMemoryStays = true;
#endif
}

HeapRoom::HeapRoom(std::size_t bytes, std::size_t callerFills) {
#if defined(__GLIBC__) && defined(MADV_POPULATE_WRITE)
    // Below a megabyte the pages are few; above 32 MB the block would be a mapping of its own,
    // gone again when freed.
    constexpr std::size_t kLeast = std::size_t{1} << 20;
    constexpr std::size_t kMost = std::size_t{31} << 20;
    if (bytes < kLeast || !freedMemoryStays) return;
    bytes = bytes < kMost ? bytes : kMost;
    void* block = std::malloc(bytes);
    if (!block) return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto from = reinterpret_cast<std::uintptr_t>(block);
    // The caller's first buffer lands at the block's start and is filled at once by the caller:
    // faulting it in here as well would only make the two wait for each other.
    const auto start = (from + std::min(callerFills, bytes) + page - 1) / page * page;
    const auto end = (from + bytes) / page * page;
    // Whole 2 MB pages where the block spans them: one fault maps 512 small pages' worth, and
    // where the machine maps guest memory in software each small page's first touch costs
    // microseconds of its own.
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto hugeStart = (from + kHugePage - 1) / kHugePage * kHugePage;
    const auto hugeEnd = (from + bytes) / kHugePage * kHugePage;
    if (hugeEnd > hugeStart) madvise(reinterpret_cast<void*>(hugeStart), hugeEnd - hugeStart, MADV_HUGEPAGE);
    // Freed at once, the block stays in the heap and the allocations to come are carved out of
    // it. Faulting its pages in changes no byte of them, so it may run while they are used.
    std::free(block);
    try {
        if (end > start) filler_ = std::thread([start, end] { madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE); });
    } catch (const std::system_error&) {
    }
#else
    (void)bytes;
    (void)callerFills;
#endif
}

HeapRoom::~HeapRoom() {
    if (filler_.joinable()) filler_.join();
}

}  // namespace host
