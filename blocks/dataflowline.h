#ifndef DATAFLOWLINE_H
#define DATAFLOWLINE_H

#include <QGraphicsLineItem>
#include <QObject>
#include <QPolygonF>

class DataflowItem;
class ProcessItem;
class MemoryItem;

// One of the two lines of a dataflow. Types: 11 process to box, 12 memory to
// box (no arrow head); 21 box to process, 22 box to memory (arrow head).
class DataflowLine : public QObject, public QGraphicsLineItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    DataflowLine(QGraphicsItem* start, QGraphicsItem* end, QObject* parent = nullptr);
    ~DataflowLine() override;

    int getLineType() const { return lineType; }
    DataflowItem* getDataflow() const { return dataflow; }
    ProcessItem* getProcess() const { return process; }
    MemoryItem* getMemory() const { return memory; }
    QGraphicsItem* startGraphicsItem() const { return startItem; }
    QGraphicsItem* endGraphicsItem() const { return endItem; }
    QPolygonF getArrowHead() const { return arrowHead; }
    bool hasArrowHead() const { return lineType == 21 || lineType == 22; }
    // Called by the owning box before it destroys the line.
    void detachFromDataflow() { dataflow = nullptr; }
    // Recomputes the line from the current positions of both ends.
    void updateGeometry();

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

private:
    void updateArrowHead();

    int lineType = 0;
    QGraphicsItem* startItem = nullptr;
    QGraphicsItem* endItem = nullptr;
    DataflowItem* dataflow = nullptr;
    ProcessItem* process = nullptr;
    MemoryItem* memory = nullptr;
    QPolygonF arrowHead;
};

#endif // DATAFLOWLINE_H
