#ifndef PROJECTFIXTURE_H
#define PROJECTFIXTURE_H

#include <QModelIndex>
#include <QString>
#include <QTemporaryDir>

class MainWindow;
class QAbstractItemModel;
class QFileDialog;
class QWidget;
class Canvas;

// A temporary working folder holding copies of the bundled examples, so that
// whole-application tests can open, change and save real projects.
class ProjectFixture
{
public:
    ProjectFixture();
    ~ProjectFixture();

    QString path(const QString& name) const;
    // Copies Examples/<name> from the source tree into the working folder.
    QString copyExample(const QString& name) const;
    QByteArray bytes(const QString& file) const;

    // Makes the working folder the current folder (the examples folder is
    // looked up relative to it) until the fixture goes.
    void enter();

    // An inspector for ModalAnswerer that picks a file in a file dialog.
    static void chooseFile(QWidget* dialog, const QString& file);
    // The first browser node with this label, depth first.
    static QModelIndex nodeNamed(const QAbstractItemModel* model, const QString& label,
                                 const QModelIndex& parent = {});
    // Shows the canvas of the browser node with this label, as a double click
    // in the browser does, and returns the canvas then shown.
    static Canvas* showCanvas(MainWindow& window, const QString& label);

private:
    QTemporaryDir dir;
    QString previousCurrent;
};

#endif // PROJECTFIXTURE_H
