#ifndef TESTFILES_H
#define TESTFILES_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small file helpers shared by the tests. A file that cannot be read yields
// a marker naming it, so a comparison against real content fails visibly.
QByteArray readAll(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);
// The files of a folder, hidden ones included, sorted by name.
QStringList filesIn(const QString& folder);

#endif // TESTFILES_H
