#ifndef COLOURSWATCH_H
#define COLOURSWATCH_H

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

// The clickable colour label of the properties dialogs.
class ColourSwatch
{
public:
    // Fills the label with the colour.
    static void show(QLabel* swatch, const QColor& colour);
    // Asks for a colour and shows it on the label. A cancelled colour dialog
    // yields an invalid colour on purpose: the item then falls back to its
    // default colour.
    static QColor pick(QWidget* dialog, QLabel* swatch, const QString& title);
};

#endif // COLOURSWATCH_H
