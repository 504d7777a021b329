#include "heapreserve.h"

#include <QFileInfo>
#include <QVarLengthArray>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#define KORVEL_HEAP_CONTROL 1
#endif

namespace {

// Below this a load is quick anyway, and the heap is left alone.
const qint64 smallest = qint64(16) * 1024 * 1024;
const qint64 largest = qint64(1) << 30;
// The heap's usual growth step, as the C library documents it.
const int usualTopPad = 128 * 1024;
const int heapBlockLimit = 32 * 1024 * 1024;
bool keptForLife = false;

} // namespace

HeapReserve::HeapReserve(qint64 bytes)
{
#if defined(KORVEL_HEAP_CONTROL) && defined(MADV_HUGEPAGE)
    if (bytes < smallest)
        return;
    const std::size_t reserve = std::size_t(std::min(bytes, largest));
    // Setting the top pad ends the C library's own tuning of when to map
    // blocks and when to give memory back; both are set where that tuning
    // ends up for large blocks, so that saving and painting afterwards do not
    // map and unmap their buffers over and over.
    if (!keptForLife) {
        mallopt(M_MMAP_THRESHOLD, heapBlockLimit);
        mallopt(M_TRIM_THRESHOLD, 2 * heapBlockLimit);
    }
    // The next growth of the heap takes the whole reserve, and while the
    // reserve lives freeing at the top keeps it. Blocks small enough never
    // to be mapped on their own use up the free space at the top and so
    // force that growth now.
    mallopt(M_TOP_PAD, int(reserve));
    auto* const before = static_cast<char*>(sbrk(0));
    const std::size_t probeSize = 32 * 1024;
    const std::size_t probesAtMost = mallinfo2().keepcost / probeSize + 64;
    QVarLengthArray<void*, 64> probes;
    probes.reserve(int(probesAtMost));
    while (sbrk(0) == before && std::size_t(probes.size()) < probesAtMost)
        probes.append(std::malloc(probeSize));
    auto* const after = static_cast<char*>(sbrk(0));
    const std::uintptr_t hugePage = 2 * 1024 * 1024;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(before) + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(after) & ~(hugePage - 1);
    // A refusal (huge pages off, an old kernel) leaves ordinary pages.
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    for (void* probe : probes)
        std::free(probe);
    topPadChanged = true;
#else
    Q_UNUSED(bytes);
#endif
}

HeapReserve::~HeapReserve()
{
#if defined(KORVEL_HEAP_CONTROL)
    if (topPadChanged)
        mallopt(M_TOP_PAD, usualTopPad);
#endif
}

void HeapReserve::keepForLife()
{
#if defined(KORVEL_HEAP_CONTROL)
    keptForLife = true;
    mallopt(M_MMAP_THRESHOLD, heapBlockLimit);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
#endif
}

qint64 HeapReserve::forProjectFile(const QString& path)
{
    // Measured on generated machines: a load takes about four times the
    // file's size, generating its C or saving it about two more.
    return QFileInfo(path).size() * 8;
}
