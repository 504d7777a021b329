#ifndef HEAPRESERVE_H
#define HEAPRESERVE_H

#include <QString>

// Room for loading a large project. Building one touches hundreds of
// megabytes; taken a 4 KiB page at a time, the page faults alone cost as
// much as the reading (on virtual machines above all). While a HeapReserve
// lives, the heap has grown in one piece by about the bytes asked for, backed
// by huge pages where the system allows them; afterwards the heap grows as
// usual again and gives back what was never used. Small loads leave the heap
// alone. A no-op where the C library or the kernel offers no such control.
class HeapReserve
{
public:
    explicit HeapReserve(qint64 bytes);
    ~HeapReserve();
    HeapReserve(const HeapReserve&) = delete;
    HeapReserve& operator=(const HeapReserve&) = delete;

    // For a process that exits soon after its peak, as the command-line
    // tool does: memory is never handed back, and blocks of up to 32 MiB
    // come from the heap, so that they share its huge pages.
    static void keepForLife();

    // About what loading a project file, working on it and saving it take.
    static qint64 forProjectFile(const QString& path);

private:
    bool topPadChanged = false;
};

#endif // HEAPRESERVE_H
