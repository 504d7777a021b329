#ifndef DIAGRAMLAYOUT_H
#define DIAGRAMLAYOUT_H

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

#include "elementbox.h"

class ProjectNode;
class QPainter;

// One canvas laid out from the document alone, as the window shows it after
// Open: every element, line, mirror and the title as a piece with its place,
// the area it covers and how it paints, stacked as the canvas stacks its
// items. Sizes that depend on the font are measured as the items measure
// them; so a picture of it is the picture of the canvas, without widgets.
class DiagramLayout
{
public:
    // The links and memory items of the owning process, mirrored at the
    // canvas's left edge: a link that comes in is direction 0, one that goes
    // out direction 1.
    struct LinkMirror
    {
        QString label;
        int direction = 0;
    };
    struct MemoryMirror
    {
        QString label;
        QString datatype;
        QColor colour;
    };
    struct Piece
    {
        // Lines lie beneath every box, whatever their level.
        bool behind = false;
        qreal z = 0;
        int order = 0;
        QPointF pos;
        // What it covers of the canvas, in its own coordinates; before the
        // first paint, where that differs (a box not yet sized to its text).
        QRectF own;
        QRectF unpainted;
        std::function<void(QPainter*)> paint;
    };

    DiagramLayout(const QString& title, const ProjectNode& node, const QVector<LinkMirror>& links,
                  const QVector<MemoryMirror>& memories, const QRectF& area);
    ~DiagramLayout();
    DiagramLayout(const DiagramLayout&) = delete;
    DiagramLayout& operator=(const DiagramLayout&) = delete;

    // What the pieces cover of the canvas, in canvas coordinates, as they
    // are painted or as they lie before the first paint.
    QRectF contentRect(bool painted = true) const;
    // Paints the source part of the canvas into the target rectangle, as a
    // canvas renders itself.
    void render(QPainter* painter, const QRectF& target, const QRectF& source) const;
    // A piece laid over the canvas later: at the next level or at level 0.
    void add(Piece piece, bool onTop);

    // What states, transitions and the initial marker cover, in the order of
    // the document, for the marks laid over them.
    const QVector<QRectF>& stateAreas() const { return states; }
    const QVector<QRectF>& transitionAreas() const { return transitions; }
    // Empty when no state is initial.
    QRectF markerArea() const { return marker; }

private:
    struct Scratch;

    // In the order they are painted.
    QVector<const Piece*> stacked() const;
    using Paint = std::function<void(QPainter*)>;
    void addPiece(Piece piece);
    // An element's box at the next level, covering own (its coordinates)
    // at pos; unpainted where it covers something else before its first paint.
    void addBox(const QPointF& pos, const QRectF& own, const QRectF& unpainted, Paint paint);
    void addBox(const QPointF& pos, const QRectF& own, Paint paint) { addBox(pos, own, QRectF(), std::move(paint)); }
    void placeTitle(const QString& title);
    void placeProcesses(const ProjectNode& node, Scratch& scratch);
    void placeStates(const ProjectNode& node, Scratch& scratch);
    void placeInitialMarker(Scratch& scratch);
    void placeTransitions(const ProjectNode& node, Scratch& scratch);
    void placeTexts(const ProjectNode& node);
    void placeLinks(const ProjectNode& node, Scratch& scratch);
    void placeMemories(const ProjectNode& node, Scratch& scratch);
    void placeDataflows(const ProjectNode& node, Scratch& scratch);
    void placeMirrors(const QVector<LinkMirror>& links, const QVector<MemoryMirror>& memories, const QRectF& area,
                      Scratch& scratch);
    struct Ends
    {
        ElementBox start;
        ElementBox box;
        ElementBox end;
    };
    // The two lines of a link or dataflow from start through its box to
    // end: laid out with the sizes the items had before they were first
    // painted, painted with the sizes they have after.
    void placeConnectorLines(const Ends& before, const Ends& after);
    qreal nextZ() { return ++zCounter; }

    std::vector<std::unique_ptr<Piece>> pieces;
    int nextOrder = 0;
    qreal zCounter = 0;
    qreal titleBottom = 0;
    QVector<QRectF> states;
    QVector<QRectF> transitions;
    QRectF marker;
};

#endif // DIAGRAMLAYOUT_H
