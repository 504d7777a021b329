#ifndef SIMPLEUPDATEINTERFACE_H
#define SIMPLEUPDATEINTERFACE_H

#include <QString>

class QSimpleUpdater;

// Where the update manifest is published.
extern const QString DEFS_URL;

// The main window's front end to the update check.
class SimpleUpdateInterface
{
public:
    SimpleUpdateInterface();

    // Starts a check in the background; a default check stays silent unless
    // it finds an update.
    void checkForUpdates(bool defaultCheck);

    // KORVEL_UPDATE_URL when it is set, DEFS_URL otherwise.
    static QString manifestUrl();

private:
    QSimpleUpdater* updater;
};

#endif // SIMPLEUPDATEINTERFACE_H
