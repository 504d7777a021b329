#ifndef TEXTITEM_H
#define TEXTITEM_H

#include <tuple>
#include <QColor>
#include <QGraphicsRectItem>
#include <QObject>
#include <QPolygonF>
#include <QString>

#include "elementid.h"
#include "elementplace.h"
#include "itemtype.h"
#include "sharedelement.h"
#include "textelement.h"

class QMenu;

// A free box of C text on a state-machine canvas. Its kind (plain code,
// includes or macro definitions) decides where the code generator puts the
// text, and is shown as a blue heading above it.
//
// The item shows an element of its canvas's document: the canvas makes it
// and gives it the element's values whenever they change. Only a drag moves
// it ahead of its element, until the drag becomes a step.
class TextItem : public QObject, public QGraphicsRectItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum { Type = TextType };
    enum Kind { Default = 0, Includes = 1, Defines = 2 };

    TextItem(QMenu* menu, ElementId id);
    ~TextItem() override;

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

    // The element of a text 150 x 75 centred on a point, as a click makes it.
    static TextElement newElement(QPointF centre);
    // The element with another text, kind and size, and the outline of the size.
    static TextElement resized(TextElement element, int width, int height);

    // Shows the element's values, where it lies.
    void setElement(const TextElement& element);
    // Names the item's element in its canvas's document.
    ElementId elementId() const { return held->id; }

    int getWidth() const { return held->width; }
    int getHeight() const { return held->height; }
    int getItemType() const { return held->type; }
    QString getAction() const { return held->text; }
    QColor getBackgroundColor() const;
    QPolygonF myPolygon() const { return QPolygonF(held->polygon); }
    // The heading shown for the item's kind.
    QString heading() const;

    void setHighlighted();
    void resetHighlighted();
    // Everything the properties dialog edits, as one value for undo.
    struct Values
    {
        int width = 150;
        int height = 75;
        int itemType = 0;
        QString text;
        auto fields() const { return std::tie(width, height, itemType, text); }
        bool operator==(const Values& other) const
        {
            return width == other.width && height == other.height && itemType == other.itemType
                && text == other.text;
        }
        bool operator!=(const Values& other) const { return !(*this == other); }
    };
    Values values() const { return {held->width, held->height, held->type, held->text}; }
    // The element with the values.
    static TextElement withValues(TextElement element, const Values& values);
    // Runs a properties dialog made for this one edit; true, with the values
    // it gave, when they differ from the item's.
    bool displayProperties(Values* after) const;

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    SharedElement<TextElement> held;
    ElementPlace place;
    QMenu* contextMenu = nullptr;
};

#endif // TEXTITEM_H
