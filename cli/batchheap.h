#ifndef BATCHHEAP_H
#define BATCHHEAP_H

#include <cstddef>

// The memory policy of the command-line tool, which loads one project, works
// on it and exits. Building a large project touches hundreds of megabytes;
// taken a 4 KiB page at a time, the page faults alone cost more than the
// reading (on virtual machines above all). The heap is therefore reserved
// in one piece and backed by huge pages where the system allows them.
// Nothing is ever handed back to the system: the process ends soon after its
// peak. Not for the application, which lives on after a project closes.
class BatchHeap
{
public:
    // Reserves address space for about `bytes` of allocations; a no-op
    // where the C library or the kernel offers no such control.
    static void reserve(std::size_t bytes);
};

#endif // BATCHHEAP_H
