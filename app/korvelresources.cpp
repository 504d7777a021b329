#include "korvelresources.h"

#include <QtGlobal>

void initKorvelResources()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    Q_INIT_RESOURCE(resources);
}
