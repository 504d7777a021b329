// File > Export Canvas as Image: a picture of the shown canvas.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "canvasrenderer.h"

void MainWindow::on_actionExport_Canvas_as_Image_triggered()
{
    if (!currentCanvas || korvelState == STATE_BLANK)
        return;
    // Sized before anything is asked or drawn.
    const QString tooLarge = CanvasRenderer(currentCanvas).sizeProblem(1.0);
    if (!tooLarge.isEmpty()) {
        QMessageBox::critical(this, QStringLiteral("Korvel"),
                              tr("The canvas %1 cannot be exported as a picture: %2.")
                                  .arg(currentCanvas->getLabel(), tooLarge));
        return;
    }
    const QString stem = PictureFile::fileStems({projectCanvases.browserPath(currentCanvas)}).value(0);
    const QString folder = QFileInfo(xmlIO.getFilePath()).absolutePath();
    QFileDialog chooser(this, tr("Export Canvas as Image"), QDir(folder).filePath(stem + QStringLiteral(".png")),
                        tr("PNG image (*.png);;SVG image (*.svg)"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    QString path = chooser.selectedFiles().first();
    if (QFileInfo(path).suffix().isEmpty())
        path += chooser.selectedNameFilter().contains(QLatin1String("svg")) ? QStringLiteral(".svg")
                                                                              : QStringLiteral(".png");
    exportCanvasImage(path);
}

bool MainWindow::exportCanvasImage(const QString& path)
{
    if (!currentCanvas)
        return false;
    PictureFile::Format format = PictureFile::Png;
    if (!PictureFile::formatForFileName(path, &format)) {
        QMessageBox::warning(this, QStringLiteral("Korvel"),
                             tr("Canvas pictures are saved as SVG or PNG: choose a file name ending in .svg or "
                                ".png instead of %1.")
                                 .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    CanvasRenderer renderer(currentCanvas);
    if (!renderer.write(path, format)) {
        QMessageBox::critical(this, QStringLiteral("Korvel"),
                              tr("The picture of the canvas could not be written to %1.\n\n%2")
                                  .arg(QDir::toNativeSeparators(path), renderer.errorString()));
        displayTempStatusBarMessage(tr("Exporting the canvas failed."));
        return false;
    }
    displayTempStatusBarMessage(tr("Canvas exported to %1").arg(QDir::toNativeSeparators(path)));
    return true;
}
