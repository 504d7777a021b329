#include "coveragecommand.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPen>
#include <QTextLayout>

#include "coveragefigure.h"
#include "picturefile.h"
#include "projectpictures.h"

namespace {

// A rectangle drawn with a wide pen, as a rectangle item draws itself.
DiagramLayout::Piece framePiece(const QRectF& rect, const QColor& colour)
{
    DiagramLayout::Piece piece;
    const qreal half = CoverageFigure::width / 2;
    piece.own = rect.adjusted(-half, -half, half, half);
    piece.paint = [rect, colour](QPainter* painter) {
        painter->setPen(QPen(colour, CoverageFigure::width));
        painter->setBrush(QBrush());
        painter->drawRect(rect);
    };
    return piece;
}

void mark(DiagramLayout* layout, const QRectF& area, bool covered)
{
    const qreal width = CoverageFigure::width;
    layout->add(framePiece(area.adjusted(-width, -width, width, width), CoverageFigure::colour(covered)), true);
}

// Lays the text out in lines as a simple text item does; what it covers.
QRectF laidOut(QTextLayout* layout)
{
    layout->setCacheEnabled(true);
    layout->beginLayout();
    while (layout->createLine().isValid()) {
    }
    layout->endLayout();
    qreal widest = 0;
    qreal y = 0;
    for (int i = 0; i < layout->lineCount(); ++i) {
        QTextLine line = layout->lineAt(i);
        widest = qMax(widest, line.naturalTextWidth());
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    return QRectF(0, 0, widest, y);
}

DiagramLayout::Piece textPiece(const QString& text, const QPointF& at)
{
    DiagramLayout::Piece piece;
    piece.pos = at;
    QTextLayout measured(text, QFont());
    piece.own = laidOut(&measured);
    piece.paint = [text](QPainter* painter) {
        painter->setFont(QFont());
        QTextLayout layout(text, QFont());
        QPen pen;
        pen.setBrush(Qt::black);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        laidOut(&layout);
        layout.draw(painter, QPointF(0, 0));
    };
    return piece;
}

// What the colours mean, above the items' top left corner.
void addLegend(DiagramLayout* layout)
{
    const QPointF corner = layout->contentRect(false).topLeft() - QPointF(0, 60);
    const QList<QPair<QColor, QString>> rows {{CoverageFigure::colour(true), QStringLiteral("reached by the tests")},
                                              {CoverageFigure::colour(false), QStringLiteral("never reached")}};
    qreal x = corner.x();
    for (const auto& row : rows) {
        layout->add(framePiece(QRectF(x, corner.y(), 24, 24), row.first), false);
        DiagramLayout::Piece text = textPiece(row.second, QPointF(x + 36, corner.y()));
        const qreal width = text.own.width();
        layout->add(std::move(text), false);
        x += 60 + width;
    }
}

QString machineName(const QString& label)
{
    return QString(label).replace(QLatin1Char(' '), QLatin1Char('_'));
}

bool draw(const ProjectPictures& project, int canvas, const QJsonObject& counts, const QString& path,
          QString* why)
{
    // Marked as the tests left it, without the mirrors of a visit.
    const std::unique_ptr<DiagramLayout> layout = project.layout(canvas, false);
    const QJsonArray entered = counts.value(QStringLiteral("entered")).toArray();
    const QJsonArray fired = counts.value(QStringLiteral("fired")).toArray();
    for (int i = 0; i < layout->stateAreas().size(); ++i)
        mark(layout.get(), layout->stateAreas().at(i), entered.at(i).toInt() > 0);
    for (int i = 0; i < layout->transitionAreas().size(); ++i)
        mark(layout.get(), layout->transitionAreas().at(i), fired.at(i).toInt() > 0);
    if (!layout->markerArea().isNull())
        mark(layout.get(), layout->markerArea(), counts.value(QStringLiteral("initial")).toInt() > 0);
    addLegend(layout.get());
    PictureFile picture(layout->contentRect());
    const auto painting = [&layout](QPainter* painter, const QRectF& to, const QRectF& from) {
        layout->render(painter, to, from);
    };
    if (picture.write(path, PictureFile::Svg, 1.0, project.label(canvas), painting))
        return true;
    *why = picture.errorString();
    return false;
}

} // namespace

int CoverageCommand::run(const QStringList& arguments)
{
    if (arguments.size() != 4)
        return usageError(QStringLiteral("coverage FILE DIR"), QStringLiteral("coverage"));
    const QString folder = arguments.at(3);
    QFile json(QDir(folder).filePath(QStringLiteral("coverage.json")));
    if (!json.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("%1: cannot be read: %2").arg(displayPath(json.fileName()), json.errorString()));
        return UsageOrFatal;
    }
    QHash<QString, QJsonObject> byMachine;
    for (const QJsonValue& value : QJsonDocument::fromJson(json.readAll()).object().value("machines").toArray())
        byMachine.insert(value.toObject().value(QStringLiteral("machine")).toString(), value.toObject());
    ProjectPictures project;
    if (project.load(arguments.at(2)) != ProjectPictures::Loaded) {
        printError(refusal(arguments.at(2)));
        return UsageOrFatal;
    }
    bool allWritten = true;
    for (int i = 0; i < project.count(); ++i) {
        const QString name = machineName(project.label(i));
        if (project.level(i) != 5 || !byMachine.contains(name))
            continue;
        const QString path = QDir(folder).filePath(name + QStringLiteral(".svg"));
        QString why;
        if (draw(project, i, byMachine.value(name), path, &why))
            continue;
        printError(QStringLiteral("%1: not written: %2").arg(displayPath(path), why));
        allWritten = false;
    }
    return allWritten ? Success : UsageOrFatal;
}
