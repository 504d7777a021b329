#include "diagramlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTextDocument>

#include <algorithm>

#include "connectorfigure.h"
#include "datastorefigure.h"
#include "initialmarkerfigure.h"
#include "itemlook.h"
#include "labelboxfigure.h"
#include "processfigure.h"
#include "projectnode.h"
#include "qcolourof.h"
#include "statefigure.h"
#include "textfigure.h"
#include "transitionfigure.h"

namespace {

QPen linePen()
{
    return QPen(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// What a connector covers: its line with room for its head.
QRectF lineArea(const QLineF& line)
{
    return ConnectorFigure::bounds(line, 2);
}

QLineF connector(const ElementBox& start, const ElementBox& end)
{
    return ConnectorFigure::clippedLine(start.centre(), end.centre(), end.sceneOutline());
}

// From the outline of to, where the line from the centre of from meets it,
// back to that centre; found in the coordinates of to, as a transition's
// lines find it.
QLineF crossing(const ElementBox& from, const ElementBox& to)
{
    return ConnectorFigure::lineTo(from.centre(), to.centre(), to.outline, to.pos);
}

// A link's or dataflow's box as it is made, before it is first painted.
ElementBox unsizedBox(const QPointF& position, const QVector<QPointF>& polygon)
{
    ElementBox box = ElementBox::rectangle(position, LabelBoxFigure::emptyWidth, LabelBoxFigure::emptyHeight, false);
    box.outline = QPolygonF(polygon);
    return box;
}

// The same box once painted: sized to its name.
ElementBox sizedBox(const QPointF& position, const QString& label, QPainter* measure)
{
    const QSize size = LabelBoxFigure::size(measure, label);
    return ElementBox::rectangle(position, size.width(), size.height(), false);
}

// The initial transition's line from the marker at dot to the state, found
// in canvas coordinates.
QLineF initialCrossing(const QPointF& dot, const ElementBox& state)
{
    return ConnectorFigure::lineTo(dot + QPointF(10, 10), state.centre(), state.outline.translated(state.pos));
}

} // namespace

struct DiagramLayout::Scratch
{
    QImage image {1, 1, QImage::Format_RGB32};
    QPainter measure {&image};
    QHash<ElementId, ElementBox> processes;
    QHash<ElementId, ElementBox> states;
    // The memory items before and after they were first painted.
    QHash<ElementId, QPair<ElementBox, ElementBox>> memories;
    ElementBox initialState;
    QPointF markerPos;
    QLineF initialLine;
    Piece* markerPiece = nullptr;
    Piece* markerLine = nullptr;
};

DiagramLayout::DiagramLayout(const QString& title, const ProjectNode& node, const QVector<LinkMirror>& links,
                             const QVector<MemoryMirror>& memories, const QRectF& area)
{
    Scratch scratch;
    placeTitle(title);
    // Each kind lands above the kinds before it, as the canvas places them.
    placeProcesses(node, scratch);
    placeStates(node, scratch);
    placeTransitions(node, scratch);
    placeTexts(node);
    placeLinks(node, scratch);
    placeMemories(node, scratch);
    placeDataflows(node, scratch);
    placeInitialMarker(scratch);
    placeMirrors(links, memories, area, scratch);
}

DiagramLayout::~DiagramLayout() = default;

void DiagramLayout::addPiece(Piece piece)
{
    piece.order = nextOrder++;
    pieces.push_back(std::make_unique<Piece>(std::move(piece)));
}

void DiagramLayout::addBox(const QPointF& pos, const QRectF& own, const QRectF& unpainted, Paint paint)
{
    Piece piece;
    piece.z = nextZ();
    piece.pos = pos;
    piece.own = own;
    piece.unpainted = unpainted;
    piece.paint = std::move(paint);
    addPiece(std::move(piece));
}

void DiagramLayout::add(Piece piece, bool onTop)
{
    piece.z = onTop ? nextZ() : 0;
    addPiece(std::move(piece));
}

QVector<const DiagramLayout::Piece*> DiagramLayout::stacked() const
{
    QVector<const Piece*> order;
    order.reserve(int(pieces.size()));
    for (const auto& piece : pieces)
        order << piece.get();
    std::sort(order.begin(), order.end(), [](const Piece* a, const Piece* b) {
        if (a->behind != b->behind)
            return a->behind;
        if (a->z != b->z)
            return a->z < b->z;
        return a->order < b->order;
    });
    return order;
}

QRectF DiagramLayout::contentRect(bool painted) const
{
    QRectF covered;
    for (const auto& piece : pieces)
        covered |= (painted || piece->unpainted.isNull() ? piece->own : piece->unpainted).translated(piece->pos);
    return covered;
}

void DiagramLayout::render(QPainter* painter, const QRectF& target, const QRectF& source) const
{
    painter->save();
    painter->setClipRect(target, Qt::IntersectClip);
    const QTransform view = QTransform()
                                .translate(target.left(), target.top())
                                .scale(target.width() / source.width(), target.height() / source.height())
                                .translate(-source.left(), -source.top());
    painter->setWorldTransform(view, true);
    const qreal opacity = painter->opacity();
    const QTransform world = painter->worldTransform();
    for (const Piece* piece : stacked()) {
        QTransform placed = QTransform::fromTranslate(piece->pos.x(), piece->pos.y());
        placed *= world;
        painter->setWorldTransform(placed);
        painter->save();
        painter->setOpacity(1.0);
        piece->paint(painter);
        painter->restore();
    }
    painter->setWorldTransform(world);
    painter->setOpacity(opacity);
    painter->restore();
}

void DiagramLayout::placeTitle(const QString& title)
{
    auto document = std::make_shared<QTextDocument>();
    document->setPlainText(title);
    const QRectF bounds(QPointF(), document->size());
    titleBottom = bounds.bottom();
    Piece piece;
    piece.own = bounds;
    piece.paint = [document, bounds](QPainter* painter) {
        // As a text item paints its document: clipped to what it covers.
        painter->save();
        painter->translate(-QPointF());
        painter->save();
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = QPalette();
        painter->setClipRect(bounds, Qt::IntersectClip);
        context.clip = bounds;
        document->documentLayout()->draw(painter, context);
        painter->restore();
        painter->restore();
    };
    addPiece(std::move(piece));
}

void DiagramLayout::placeProcesses(const ProjectNode& node, Scratch& scratch)
{
    for (const auto& child : node.children()) {
        const ProcessElement& element = child->process;
        const ProcessFigure figure {element.width, element.height, element.shape, element.label,
                                    qColourOf(element.colour), Qt::SolidLine};
        ElementBox box = ElementBox::rectangle(element.position, element.width, element.height, true);
        // A process's shape is its rectangle under its pen.
        QPainterPath rect;
        rect.addRect(box.ownRect());
        QPainterPathStroker stroker;
        stroker.setWidth(2);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        box.shape = stroker.createStroke(rect);
        box.shape.addPath(rect);
        box.outline = figure.outline();
        scratch.processes.insert(child->id(), box);
        addBox(box.pos, box.ownRect(), [figure](QPainter* painter) { figure.paint(painter); });
    }
}

void DiagramLayout::placeStates(const ProjectNode& node, Scratch& scratch)
{
    for (const StateElement& element : node.diagram.states) {
        ElementBox box = ElementBox::rectangle(element.position, element.width, element.height, true);
        box.outline = QPolygonF(element.polygon);
        scratch.states.insert(element.id, box);
        states << box.ownRect().translated(box.pos);
        const StateFigure figure {element.width, element.height, element.label, element.action,
                                  qColourOf(element.colour), Qt::SolidLine};
        addBox(box.pos, box.ownRect(), [figure](QPainter* painter) { figure.paint(painter); });
        if (!element.initial)
            continue;
        // The marker joins the canvas with the first initial state and
        // follows each one after it; its line is laid out from where the
        // marker stood before it moved.
        scratch.initialState = box;
        scratch.initialLine = initialCrossing(scratch.markerPos, box);
        scratch.markerPos = InitialMarkerFigure::placeOver(box.pos, box.width, box.height);
        if (scratch.markerPiece)
            continue;
        addPiece(Piece());
        scratch.markerPiece = pieces.back().get();
        Piece line;
        line.behind = true;
        addPiece(std::move(line));
        scratch.markerLine = pieces.back().get();
    }
}

void DiagramLayout::placeInitialMarker(Scratch& scratch)
{
    if (!scratch.markerPiece)
        return;
    const ElementBox dot = ElementBox::rectangle(scratch.markerPos, 20, 20, true);
    marker = InitialMarkerFigure::marker.translated(dot.pos);
    scratch.markerPiece->pos = dot.pos;
    scratch.markerPiece->own = InitialMarkerFigure::marker;
    scratch.markerPiece->paint = [](QPainter* painter) { InitialMarkerFigure::paint(painter); };
    // A marker lying on its state hides the line, which stays where it was
    // laid out last.
    const bool hidden = dot.collidesWith(scratch.initialState);
    const QLineF line = hidden ? scratch.initialLine : initialCrossing(dot.pos, scratch.initialState);
    scratch.markerLine->own = lineArea(line);
    scratch.markerLine->unpainted = lineArea(scratch.initialLine);
    scratch.markerLine->paint = [hidden, line](QPainter* painter) {
        if (hidden)
            return;
        const QPolygonF head = ConnectorFigure::arrowHead(line);
        ConnectorFigure::paint(painter, linePen(), line, &head, false);
    };
}

void DiagramLayout::placeTransitions(const ProjectNode& node, Scratch& scratch)
{
    for (const TransitionElement& element : node.diagram.transitions) {
        // A transition without both its states is dropped.
        if (!scratch.states.contains(element.startState) || !scratch.states.contains(element.endState))
            continue;
        const ElementBox start = scratch.states.value(element.startState);
        const ElementBox end = scratch.states.value(element.endState);
        const bool hidden = element.startState != element.endState && start.collidesWith(end);
        ElementBox box = ElementBox::rectangle(element.position, element.width, element.height, true);
        box.outline = QPolygonF(element.polygon);
        transitions << box.ownRect().translated(box.pos);
        const TransitionFigure figure {element.width, element.height, element.label, element.condition,
                                       element.action, qColourOf(element.colour), Qt::SolidLine};
        addBox(box.pos, box.ownRect(), [figure, hidden](QPainter* painter) {
            if (!hidden)
                figure.paint(painter);
        });
        const QLineF lines[] = {crossing(start, box), crossing(box, end)};
        for (int i = 0; i < 2; ++i) {
            const QLineF line = lines[i];
            const bool pointed = i == 1;
            Piece half;
            half.behind = true;
            half.own = lineArea(line);
            half.paint = [line, pointed, hidden](QPainter* painter) {
                if (hidden)
                    return;
                // Far out the smoothing of long lines costs much and shows nothing.
                const QPolygonF head = pointed ? ConnectorFigure::arrowHead(line) : QPolygonF();
                ConnectorFigure::paint(painter, linePen(), line, pointed ? &head : nullptr, false,
                                       ItemLook::levelOfDetail(painter->worldTransform()) >= ItemLook::farOut);
            };
            addPiece(std::move(half));
        }
    }
}

void DiagramLayout::placeTexts(const ProjectNode& node)
{
    for (const TextElement& element : node.diagram.texts) {
        const TextFigure figure {element.width, element.height, TextFigure::headingOf(element.type), element.text,
                                 qColourOf(element.colour), Qt::SolidLine};
        addBox(element.position, QRectF(0, 0, element.width, element.height),
               [figure](QPainter* painter) { figure.paint(painter); });
    }
}

void DiagramLayout::placeLinks(const ProjectNode& node, Scratch& scratch)
{
    for (const LinkElement& element : node.diagram.links) {
        if (!scratch.processes.contains(element.startProcess) || !scratch.processes.contains(element.endProcess)
            || element.startProcess == element.endProcess)
            continue;
        const ElementBox start = scratch.processes.value(element.startProcess);
        const ElementBox end = scratch.processes.value(element.endProcess);
        // A link between overlapping processes is hidden, and never sized.
        const bool hidden = start.collidesWith(end);
        const ElementBox before = unsizedBox(element.position, element.polygon);
        const ElementBox box = hidden ? before : sizedBox(element.position, element.label, &scratch.measure);
        const QString label = element.label;
        const QColor colour = qColourOf(element.colour);
        addBox(box.pos, box.ownRect(), before.ownRect(), [hidden, label, colour](QPainter* painter) {
            if (!hidden)
                LabelBoxFigure::paint(painter, LabelBoxFigure::size(painter, label), label, colour, Qt::SolidLine);
        });
        placeConnectorLines({start, before, end}, {start, box, end});
    }
}

void DiagramLayout::placeConnectorLines(const Ends& before, const Ends& after)
{
    const ElementBox* froms[] = {&after.start, &after.box};
    const ElementBox* tos[] = {&after.box, &after.end};
    const QLineF laidOut[] = {connector(before.start, before.box), connector(before.box, before.end)};
    for (int i = 0; i < 2; ++i) {
        const ElementBox from = *froms[i];
        const ElementBox to = *tos[i];
        const bool hidden = from.collidesWith(to);
        const QLineF line = connector(from, to);
        const bool pointed = i == 1;
        Piece half;
        half.behind = true;
        half.own = lineArea(laidOut[i]);
        half.paint = [hidden, line, pointed](QPainter* painter) {
            if (hidden)
                return;
            const QPolygonF head = ConnectorFigure::arrowHead(line);
            ConnectorFigure::paint(painter, linePen(), line, pointed ? &head : nullptr, false);
        };
        addPiece(std::move(half));
    }
}

void DiagramLayout::placeMemories(const ProjectNode& node, Scratch& scratch)
{
    for (const MemoryElement& element : node.diagram.memories) {
        ElementBox before = ElementBox::rectangle(element.position, DataStoreFigure::emptyWidth,
                                                  DataStoreFigure::height, false);
        before.outline = QPolygonF(element.polygon);
        const int width = DataStoreFigure::width(&scratch.measure, element.label, element.datatype);
        const ElementBox after = ElementBox::rectangle(element.position, width, DataStoreFigure::height, false);
        scratch.memories.insert(element.id, qMakePair(before, after));
        const QString label = element.label;
        const QString datatype = element.datatype;
        const QColor colour = qColourOf(element.colour);
        addBox(after.pos, after.ownRect(), before.ownRect(), [label, datatype, colour](QPainter* painter) {
            DataStoreFigure::paint(painter, QPen(QBrush(Qt::black), 1, Qt::SolidLine),
                                   DataStoreFigure::width(painter, label, datatype), colour, label, datatype);
        });
    }
}

void DiagramLayout::placeDataflows(const ProjectNode& node, Scratch& scratch)
{
    for (const DataflowElement& element : node.diagram.dataflows) {
        // Type 1 flows from the process into the memory item, type 2 back.
        if (!scratch.processes.contains(element.process) || !scratch.memories.contains(element.memory)
            || (element.lineType != 1 && element.lineType != 2))
            continue;
        const ElementBox process = scratch.processes.value(element.process);
        const QPair<ElementBox, ElementBox> memory = scratch.memories.value(element.memory);
        const bool outwards = element.lineType == 1;
        const ElementBox& start = outwards ? process : memory.second;
        const ElementBox& end = outwards ? memory.second : process;
        const bool hidden = start.collidesWith(end);
        const ElementBox before = unsizedBox(element.position, element.polygon);
        const ElementBox box = hidden ? before : sizedBox(element.position, element.label, &scratch.measure);
        // A box that covers the end it points to shows the direction on its edge.
        const bool onEdge = box.collidesWith(end);
        const int direction = LabelBoxFigure::direction(box.centre().x(), start.centre().x(), end.centre().x());
        const QString label = element.label;
        const QColor colour = qColourOf(element.colour);
        addBox(box.pos, box.ownRect(), before.ownRect(), [hidden, onEdge, direction, label, colour](QPainter* painter) {
            if (hidden)
                return;
            const QSize size = LabelBoxFigure::size(painter, label);
            LabelBoxFigure::paint(painter, size, label, colour, Qt::SolidLine);
            if (onEdge)
                LabelBoxFigure::paintDirection(painter, size, direction);
        });
        const ElementBox& startBefore = outwards ? process : memory.first;
        const ElementBox& endBefore = outwards ? memory.first : process;
        placeConnectorLines({startBefore, before, endBefore}, {start, box, end});
    }
}

void DiagramLayout::placeMirrors(const QVector<LinkMirror>& links, const QVector<MemoryMirror>& memories,
                                 const QRectF& area, Scratch& scratch)
{
    QPainter* measure = &scratch.measure;
    const qreal gap = 10;
    const qreal left = area.left() + gap;
    const qreal top = qMax(area.top() + 40, titleBottom + gap);
    qreal y = top;
    qreal linkColumnWidth = 0;
    for (const LinkMirror& mirror : links) {
        const QSize size = LabelBoxFigure::size(measure, mirror.label);
        const QColor colour = mirror.direction == 0 ? QColor(0, 255, 0) : QColor(255, 0, 0);
        addBox(QPointF(left, y), QRectF(QPointF(), size), [mirror, colour](QPainter* painter) {
            const QSize drawn = LabelBoxFigure::size(painter, mirror.label);
            LabelBoxFigure::paintMirror(painter, LabelBoxFigure::mirrorOutline(drawn, mirror.direction),
                                        mirror.label, colour);
        });
        y += size.height() + gap;
        linkColumnWidth = qMax(linkColumnWidth, qreal(size.width()));
    }
    const qreal memoryLeft = links.isEmpty() ? left : left + linkColumnWidth + 2 * gap;
    y = top;
    for (const MemoryMirror& mirror : memories) {
        const int width = DataStoreFigure::width(measure, mirror.label, mirror.datatype);
        addBox(QPointF(memoryLeft, y), QRectF(0, 0, width, DataStoreFigure::height), [mirror](QPainter* painter) {
            DataStoreFigure::paint(painter, QPen(QBrush(Qt::black), 1, Qt::SolidLine),
                                   DataStoreFigure::width(painter, mirror.label, mirror.datatype), mirror.colour,
                                   mirror.label, mirror.datatype);
        });
        y += DataStoreFigure::height + gap;
    }
}
