#include "elementid.h"

#include <atomic>

ElementId nextElementId()
{
    static std::atomic<ElementId> lastId {0};
    return ++lastId;
}
