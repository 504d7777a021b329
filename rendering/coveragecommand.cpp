#include "coveragecommand.h"

#include <QDir>
#include <QFile>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPen>

#include "canvas.h"
#include "canvasrenderer.h"
#include "coverageframe.h"
#include "headlessproject.h"
#include "initialtransition.h"
#include "projectcanvases.h"
#include "stateitem.h"
#include "transitionitem.h"

namespace {

void mark(Canvas* canvas, const QGraphicsItem* item, bool covered)
{
    auto* frame = new CoverageFrame(item, covered);
    frame->setZValue(canvas->nextZValue());
    canvas->addItem(frame);
}

// What the colours mean, above the items' top left corner.
void addLegend(Canvas* canvas)
{
    const QPointF corner = canvas->contentRect().topLeft() - QPointF(0, 60);
    const QList<QPair<QColor, QString>> rows {{CoverageFrame::colour(true), QStringLiteral("reached by the tests")},
                                              {CoverageFrame::colour(false), QStringLiteral("never reached")}};
    qreal x = corner.x();
    for (const auto& row : rows) {
        auto* swatch = new QGraphicsRectItem(x, corner.y(), 24, 24);
        swatch->setPen(QPen(row.first, CoverageFrame::width));
        canvas->addItem(swatch);
        auto* text = new QGraphicsSimpleTextItem(row.second);
        text->setPos(x + 36, corner.y());
        canvas->addItem(text);
        x += 60 + text->boundingRect().width();
    }
}

QString machineName(const Canvas* canvas)
{
    return canvas->getLabel().replace(QLatin1Char(' '), QLatin1Char('_'));
}

bool draw(Canvas* canvas, const QJsonObject& counts, const QString& path, QString* why)
{
    const QJsonArray entered = counts.value(QStringLiteral("entered")).toArray();
    const QJsonArray fired = counts.value(QStringLiteral("fired")).toArray();
    for (int i = 0; i < canvas->stateItems.size(); ++i)
        mark(canvas, canvas->stateItems.at(i), entered.at(i).toInt() > 0);
    for (int i = 0; i < canvas->transitionItems.size(); ++i)
        mark(canvas, canvas->transitionItems.at(i), fired.at(i).toInt() > 0);
    if (canvas->initialTransition && canvas->initialTransition->scene() == canvas)
        mark(canvas, canvas->initialTransition, counts.value(QStringLiteral("initial")).toInt() > 0);
    addLegend(canvas);
    CanvasRenderer renderer(canvas);
    if (renderer.write(path, CanvasRenderer::Svg))
        return true;
    *why = renderer.errorString();
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
    HeadlessProject project;
    if (project.load(arguments.at(2)) != HeadlessProject::Loaded) {
        printError(refusal(arguments.at(2)));
        return UsageOrFatal;
    }
    bool allWritten = true;
    for (Canvas* canvas : project.canvases().all()) {
        if (canvas->getLevel() != 5 || !byMachine.contains(machineName(canvas)))
            continue;
        const QString path = QDir(folder).filePath(machineName(canvas) + QStringLiteral(".svg"));
        QString why;
        if (draw(canvas, byMachine.value(machineName(canvas)), path, &why))
            continue;
        printError(QStringLiteral("%1: not written: %2").arg(displayPath(path), why));
        allWritten = false;
    }
    return allWritten ? Success : UsageOrFatal;
}
