#ifndef DIAGRAMSCENE_H
#define DIAGRAMSCENE_H

#include <QGraphicsScene>
#include <QStringList>

// What an item asks of the diagram it lies on, without knowing the diagram's
// class: the names its siblings took, and a new arrangement of the mirrors
// once one of them changed size.
class DiagramScene : public QGraphicsScene
{
    Q_OBJECT

public:
    using QGraphicsScene::QGraphicsScene;

    // The labels of the other items on the diagram that share a name space
    // with item; names must not repeat there.
    virtual QStringList siblingLabels(const QGraphicsItem* item) const = 0;
    // A mirror changed size while painted: arrange again once painting is over.
    virtual void floatingItemResized() = 0;
};

#endif // DIAGRAMSCENE_H
