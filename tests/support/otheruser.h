#ifndef OTHERUSER_H
#define OTHERUSER_H

#include <QString>
#include <QStringList>

// Starts a program as a second user of the machine: nobody when the tests run
// as root (as they do in CI), otherwise this user mapped to root in a user
// namespace of its own. Folders the program must write need to be writable
// by everyone (makeShared).
namespace OtherUser {
// The program and arguments that run program as the other user.
QStringList command(const QString& program, const QStringList& arguments = {});
// The user id the program sees.
uint uid();
// Opens a folder to every user, as /tmp is; false when that fails.
bool makeShared(const QString& folder);
}

#endif // OTHERUSER_H
