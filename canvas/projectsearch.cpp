#include "projectsearch.h"

#include "canvas.h"
#include "dataflowitem.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "projectcanvases.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

#include <initializer_list>
#include <utility>

namespace {

using Field = std::pair<QString, QString>;

class Collector
{
public:
    Collector(const QString& needle, QVector<ProjectSearch::Hit>* hits)
        : needle(needle)
        , hits(hits)
    {
    }

    void look(Canvas* canvas, QObject* element, const QString& name, std::initializer_list<Field> fields)
    {
        ProjectSearch::Hit hit;
        for (const Field& field : fields) {
            if (!field.second.contains(needle, Qt::CaseInsensitive))
                continue;
            if (hit.fields.isEmpty())
                hit.text = oneLine(field.second);
            hit.fields << field.first;
        }
        if (hit.fields.isEmpty())
            return;
        hit.canvas = canvas;
        hit.element = element;
        hit.name = name;
        hit.where = where;
        hits->append(hit);
    }

    QString where;

private:
    // Code runs over several lines; a result shows the one that matched.
    QString oneLine(const QString& text) const
    {
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (const QString& line : lines)
            if (line.contains(needle, Qt::CaseInsensitive))
                return line.trimmed();
        return text.simplified();
    }

    QString needle;
    QVector<ProjectSearch::Hit>* hits;
};

QString named(const QString& kind, const QString& label)
{
    return label.isEmpty() ? kind : kind + QLatin1Char(' ') + label;
}

void searchBlocks(Canvas* canvas, Collector& collect)
{
    const QString label = QObject::tr("Label");
    const QString type = QObject::tr("Type");
    const QString description = QObject::tr("Description");
    for (ProcessItem* item : canvas->processItems)
        collect.look(canvas, item, named(QObject::tr("Process"), item->getLabel()),
                     {{label, item->getLabel()}, {QObject::tr("Code"), item->getCode()},
                      {description, item->getDescription()}});
    for (LinkItem* item : canvas->linkItems)
        collect.look(canvas, item, named(QObject::tr("Link"), item->getLabel()),
                     {{label, item->getLabel()}, {type, item->getDatatype()}, {description, item->getDescription()}});
    for (MemoryItem* item : canvas->memoryItems)
        collect.look(canvas, item, named(QObject::tr("Memory"), item->getLabel()),
                     {{QObject::tr("Name"), item->getLabel()}, {type, item->getDatatype()},
                      {description, item->getDescription()}});
    for (DataflowItem* item : canvas->dataflowItems)
        collect.look(canvas, item, named(QObject::tr("Dataflow"), item->getLabel()),
                     {{label, item->getLabel()}, {type, item->getDatatype()}, {description, item->getDescription()}});
}

void searchMachine(Canvas* canvas, Collector& collect)
{
    const QString label = QObject::tr("Label");
    const QString action = QObject::tr("Action");
    const QString description = QObject::tr("Description");
    for (StateItem* item : canvas->stateItems)
        collect.look(canvas, item, named(QObject::tr("State"), item->getLabel()),
                     {{label, item->getLabel()}, {action, item->getAction()}, {description, item->getDescription()},
                      {QObject::tr("Initial guard"), item->getInitCondition()},
                      {QObject::tr("Initial description"), item->getInitDescription()}});
    for (TransitionItem* item : canvas->transitionItems)
        collect.look(canvas, item, named(QObject::tr("Transition"), item->getLabel()),
                     {{label, item->getLabel()}, {QObject::tr("Guard"), item->getCondition()},
                      {action, item->getAction()}, {description, item->getDescription()}});
    for (TextItem* item : canvas->textItems)
        collect.look(canvas, item, QObject::tr("Text item"), {{QObject::tr("Text"), item->getAction()}});
}

} // namespace

QGraphicsItem* ProjectSearch::Hit::item() const
{
    return dynamic_cast<QGraphicsItem*>(element.data());
}

QVector<ProjectSearch::Hit> ProjectSearch::find(const ProjectCanvases& project, const QString& needle)
{
    QVector<Hit> hits;
    if (needle.isEmpty())
        return hits;
    Collector collect(needle, &hits);
    for (Canvas* canvas : project.all()) {
        collect.where = project.browserPath(canvas);
        searchBlocks(canvas, collect);
        searchMachine(canvas, collect);
    }
    return hits;
}
