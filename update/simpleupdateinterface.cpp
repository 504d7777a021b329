#include "simpleupdateinterface.h"

void SimpleUpdateInterface::checkForUpdates(bool /*defaultCheck*/)
{
    ++requested;
}
