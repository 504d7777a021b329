#ifndef CANVASSIZE_H
#define CANVASSIZE_H

#include <QDialog>

namespace Ui {
class CanvasSize;
}

// Asks for the width and height of the shown canvas, in pixels.
class CanvasSize : public QDialog
{
    Q_OBJECT

public:
    explicit CanvasSize(QWidget* parent = nullptr);
    ~CanvasSize() override;

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    void setWidth(int value) { width = value; }
    void setHeight(int value) { height = value; }
    void fillValues();

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    Ui::CanvasSize* ui;
    int width = 2000;
    int height = 1050;
};

#endif // CANVASSIZE_H
