#include "projectfixture.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QAbstractItemModel>
#include <QLineEdit>
#include <QTreeView>

#include "mainwindow.h"

ProjectFixture::ProjectFixture()
    : previousCurrent(QDir::currentPath())
{
}

ProjectFixture::~ProjectFixture()
{
    QDir::setCurrent(previousCurrent);
}

QString ProjectFixture::path(const QString& name) const
{
    return dir.filePath(name);
}

QString ProjectFixture::copyExample(const QString& name) const
{
    const QString target = path(name);
    QFile::remove(target);
    QFile::copy(QStringLiteral(KORVEL_SOURCE_DIR "/Examples/") + name, target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

QByteArray ProjectFixture::bytes(const QString& file) const
{
    return readAll(file);
}

void ProjectFixture::enter()
{
    QDir::setCurrent(dir.path());
}

void ProjectFixture::chooseFile(QWidget* dialog, const QString& file)
{
    // Type the name into the dialog's own field, as a user would; selecting
    // a path programmatically races with the dialog's folder loading.
    auto* chooser = qobject_cast<QFileDialog*>(dialog);
    if (!chooser)
        return;
    const QFileInfo info(file);
    chooser->setDirectory(info.absolutePath());
    if (auto* edit = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(info.fileName());
    else
        chooser->selectFile(file);
}

QModelIndex ProjectFixture::nodeNamed(const QAbstractItemModel* model, const QString& label,
                                      const QModelIndex& parent)
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (index.data().toString() == label)
            return index;
        const QModelIndex below = nodeNamed(model, label, index);
        if (below.isValid())
            return below;
    }
    return {};
}

Canvas* ProjectFixture::showCanvas(MainWindow& window, const QString& label)
{
    auto* tree = window.findChild<QTreeView*>(QStringLiteral("treeView"));
    window.on_treeView_doubleClicked(nodeNamed(tree->model(), label));
    return window.getCurrentCanvas();
}
