#ifndef UNPRIVILEGED_H
#define UNPRIVILEGED_H

#include <QString>
#include <QStringList>

// Permission checks do not bind the superuser, and CI runs as root. Cases
// about unwritable folders therefore run as the user "nobody" there: a
// command through setpriv, or the current test row again in a child process.
// Cases about a second user of the machine run as nobody under root, and
// otherwise as this user mapped to root in a user namespace of its own.
namespace Unprivileged {
bool isSuperuser();
// Put before a command so that it runs without privileges; empty when this
// process has none to drop.
QStringList prefix();
// Gives the file or folder to the user the commands run as.
bool handOver(const QString& path);
// A new folder under the system's temporary folder that the unprivileged
// user owns (for HOME, data folders and the like); removed by the caller.
QString ownFolder();
// Runs the current test function and row in a child process as "nobody",
// with a home of its own; true when it passed, its output in *log.
bool rerunCurrentTest(QString* log);
// The first folder on the way to path that other users cannot pass
// through; empty when they can reach it.
QString blockedOnTheWay(const QString& path);

// The program and arguments that run program as a second user, and the user
// id it sees there.
QStringList secondUserCommand(const QString& program, const QStringList& arguments = {});
uint secondUserId();
// Opens a folder to every user, as /tmp is; false when that fails.
bool makeShared(const QString& folder);
}

#endif // UNPRIVILEGED_H
