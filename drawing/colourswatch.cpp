#include "colourswatch.h"

#include <QColorDialog>
#include <QLabel>

void ColourSwatch::show(QLabel* swatch, const QColor& colour)
{
    swatch->setStyleSheet(QStringLiteral("background-color:rgb(%1,%2,%3);")
                              .arg(colour.red())
                              .arg(colour.green())
                              .arg(colour.blue()));
}

QColor ColourSwatch::pick(QWidget* dialog, QLabel* swatch, const QString& title)
{
    const QColor colour = QColorDialog::getColor(Qt::white, dialog, title);
    show(swatch, colour);
    return colour;
}
