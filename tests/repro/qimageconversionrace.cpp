// Reproducer for a race in Qt 5.15's QImage conversions (seen with 5.15.8).
//
// QImage converts an image of 128 KiB or more on the global thread pool:
// the calling thread queues one task per 64 KiB segment and waits on a
// QSemaphore that lives in its own stack frame; each task ends with
// semaphore.release(1). QSemaphore::release() first adds the token
// (lock xadd), which can let the waiting thread return at once, and only
// then clears the "needs wake" bit with a second atomic write (lock and of
// ~(1 << 63)) to the same word. When the pool thread is preempted between
// the two, that write lands in a stack frame the caller has already left
// and clears bit 63 of whatever now lives there. Pointers and small
// numbers do not have that bit; a stack-protector canary has it half of
// the time, so the visible symptom is a rare "*** stack smashing detected
// ***" abort in whatever function the caller runs next.
//
// Korvel's windows and dialogs load their icon from app_icon.ico, which
// had a 256 px frame (256 KiB decoded); every window construction ran such
// a conversion. The workaround is to keep every image under 128 KiB, so Qt
// converts it on the calling thread (see resources/tools/README.md).
//
// Build and run (the race needs a preempted pool thread, so it shows
// rarely on its own; the gdb script forces the interleaving):
//   g++ -O2 -g -fPIC qimageconversionrace.cpp -o /tmp/qimagerace $(pkg-config --cflags --libs Qt5Gui)
//   gdb -q -batch -x qimageconversionrace.gdb /tmp/qimagerace
// It prints the word before and after the pool thread's late write, and the
// program then reports "1 of 50 conversions wrote into the caller's dead
// stack". Run without gdb, `/tmp/qimagerace 1000000` loops on its own.

#include <QImage>

#include <cstdio>
#include <cstdlib>

namespace {

const int probeWords = 2048;

}

// The gdb script stops here, once the probe area is filled.
extern "C" __attribute__((noinline)) void probeFilled(volatile quint64* area)
{
    asm volatile("" : : "r"(area) : "memory");
}

// Fills the stack the conversion used with all-ones, gives late pool
// threads a moment and counts the words that changed meanwhile.
__attribute__((noinline)) static int probe()
{
    volatile quint64 area[probeWords];
    for (auto& word : area)
        word = ~quint64(0);
    probeFilled(area);
    for (int i = 0; i < 2000; ++i)
        asm volatile("pause");
    int changed = 0;
    for (int i = 0; i < probeWords; ++i) {
        if (area[i] != ~quint64(0)) {
            std::printf("  stack word %d is now %016llx\n", i, static_cast<unsigned long long>(area[i]));
            ++changed;
        }
    }
    return changed;
}

__attribute__((noinline)) static void convert(const QImage& source)
{
    // 256 x 256 x 4 bytes: four segments on the pool.
    const QImage converted = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    asm volatile("" : : "r"(converted.constBits()) : "memory");
}

int main(int argc, char** argv)
{
    const long iterations = argc > 1 ? std::atol(argv[1]) : 50;
    QImage source(256, 256, QImage::Format_ARGB32);
    source.fill(0x80ff8040);
    long hits = 0;
    for (long n = 0; n < iterations; ++n) {
        convert(source);
        if (probe() > 0)
            ++hits;
    }
    std::printf("%ld of %ld conversions wrote into the caller's dead stack\n", hits, iterations);
    return hits > 0 ? 1 : 0;
}
