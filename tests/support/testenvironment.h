#ifndef TESTENVIRONMENT_H
#define TESTENVIRONMENT_H

#include <QString>

// Points every settings location of this process at a fresh temporary folder
// (removed at exit), so no test ever reads or writes the user's own settings,
// points the update check at a closed loopback port, and makes a modal dialog
// that no ModalAnswerer expects fail the running test.
// Call it first in initTestCase(), before anything creates a QSettings.
namespace TestEnvironment {
void useThrowAwaySettings();
QString settingsFolder();
// The settings file the application uses ("Pelmora/Korvel.conf").
QString settingsFile();
// Registers the application resources (icons, cursors) held by the library.
void loadResources();
}

#endif // TESTENVIRONMENT_H
