#include "batchheap.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

void BatchHeap::reserve(std::size_t bytes)
{
#if defined(__linux__) && defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    static bool reserved = false;
    if (reserved)
        return;
    reserved = true;
    // The largest blocks the C library will still carve from its heap
    // (larger ones are mapped on their own), and a heap that never shrinks.
    const int heapBlockLimit = 32 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, heapBlockLimit);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    // The next growth of the heap takes the whole reserve; a block larger
    // than the free space at its top forces that growth now.
    const std::size_t reserve = std::min<std::size_t>(bytes, std::size_t(1) << 30);
    mallopt(M_TOP_PAD, int(reserve));
    auto* const before = static_cast<char*>(sbrk(0));
    const std::size_t probeSize =
        std::min<std::size_t>(mallinfo2().keepcost + 64 * 1024, std::size_t(heapBlockLimit) - 1);
    // Volatile, so that the compiler keeps an allocation nobody reads.
    void* volatile const probe = std::malloc(probeSize);
    auto* const after = static_cast<char*>(sbrk(0));
    // Back to the usual growth (the documented default) past the reserve.
    mallopt(M_TOP_PAD, 128 * 1024);
    const std::uintptr_t hugePage = 2 * 1024 * 1024;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(before) + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(after) & ~(hugePage - 1);
    // A refusal (huge pages off, an old kernel) leaves ordinary pages.
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    std::free(probe);
#else
    (void)bytes;
#endif
}
