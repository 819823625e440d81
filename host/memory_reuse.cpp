#include "host/memory_reuse.h"

#include <cstdlib>  // defines __GLIBC__ with the C library
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace host {

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
#endif
}

}  // namespace host
