#include "fileset.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>

FileSet::~FileSet()
{
    for (const QString& file : qAsConst(aside))
        QFile::remove(file);
}

bool FileSet::write(const QString& target, const TextSource& text)
{
    const QFileInfo info(target);
    QFile file;
    for (int attempt = 0; attempt < 100 && !file.isOpen(); ++attempt) {
        file.setFileName(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                         + QStringLiteral(".korvel-%1").arg(attempt));
        // NewOnly: never into a file or link that is already there.
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    }
    if (!file.isOpen()) {
        error = file.errorString();
        return false;
    }
    aside.append(file.fileName());
    targets.append(target);
    // In pieces, so that the stream never holds a second copy of a large
    // file's text; a piece never ends inside a surrogate pair.
    QTextStream stream(&file);
    const int piece = 1 << 16;
    text([&stream, piece](const QString& part) {
        for (int at = 0; at < part.size();) {
            int length = qMin(piece, part.size() - at);
            if (at + length < part.size() && part.at(at + length - 1).isHighSurrogate())
                --length;
            stream << QStringView(part).mid(at, length);
            at += length;
        }
    });
    stream.flush();
    file.close();
    if (stream.status() != QTextStream::Ok || file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    if (info.exists())
        QFile::setPermissions(file.fileName(), QFile::permissions(target));
    return true;
}

int FileSet::commit()
{
    for (int i = 0; i < aside.size(); ++i) {
        if (std::rename(QFile::encodeName(aside.at(i)).constData(), QFile::encodeName(targets.at(i)).constData())
            != 0) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            aside.remove(0, i);
            return i;
        }
    }
    aside.clear();
    return -1;
}
