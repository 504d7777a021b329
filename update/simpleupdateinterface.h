#ifndef SIMPLEUPDATEINTERFACE_H
#define SIMPLEUPDATEINTERFACE_H

// Front end of the update check. The check itself (manifest download and
// version comparison) is added with the updater; until then a check is a
// no-op, so the window never waits on the network.
class SimpleUpdateInterface
{
public:
    SimpleUpdateInterface() = default;
    void checkForUpdates(bool defaultCheck);
    int checksRequested() const { return requested; }

private:
    int requested = 0;
};

#endif // SIMPLEUPDATEINTERFACE_H
