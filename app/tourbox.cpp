#include "tourbox.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "tourtext.h"
#include "tourtip.h"

TourBox::TourBox(QWidget* parent)
    : QWidget(parent)
{
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setGeometry(300, 300, 350, 120);

    tip = new TourTip(this);
    text = new TourText();
    layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tip, 1);
    layout->addWidget(text, 1);

    connect(text, &TourText::nextLinkClicked, this, &TourBox::nextLinkClicked);
    connect(text, &TourText::quitLinkClicked, this, &TourBox::quitLinkClicked);

    hide();
    initTourMessages();
}

void TourBox::initTourMessages()
{
    titles[TOUR_PROJECT_BROWSER] = tr("Project Browser");
    texts[TOUR_PROJECT_BROWSER] = tr(
        "Projects follow a fixed hierarchy up to level 3 \u2014 Hardware Module. You can add as many items in "
        "level 4 and 5 by adding a respective Process item. Each entry in the Project browser has an "
        "associated Process item and can be renamed from their properties tab.");

    titles[TOUR_PROCESS_ITEM] = tr("Process Item");
    texts[TOUR_PROCESS_ITEM] = tr(
        "Process items represent an entity in a project hierarchy. Process properties can be invoked by "
        "double-clicking on it or right-clicking and selecting properties(Applies to every graphics item). "
        "You can link two Processes to show their communication using Links. To add a Process, select the "
        "rounded rectangle on the toolbar and click on the canvas.");

    titles[TOUR_LINK_ITEM] = tr("Link Item");
    texts[TOUR_LINK_ITEM] = tr(
        "Links are used to show a connection between two Processes. Project modules often communicate with "
        "each other using Function calls/api's. A Link can be used to show dependencies between two modules. "
        "To insert a Link, select Link from the toolbar, click on the source Process and drag the mouse to "
        "the destination Process.");

    titles[TOUR_INITIAL_STATE_ITEM] = tr("Initial State Item");
    texts[TOUR_INITIAL_STATE_ITEM] = tr(
        "Initial State is the entry to the State Machine and is shown in red. There can be only one initial "
        "State in a State Machine. Only in the Initial State, an optional initial condition can be inserted "
        "which when true, the State action would be executed.");

    titles[TOUR_STATE_ITEM] = tr("State Item");
    texts[TOUR_STATE_ITEM] = tr(
        "A State can be inserted in the canvas by selecting insert State from the toolbar and clicking on "
        "the canvas. There is no limit on the number of states that can be inserted in a State Machine. In "
        "State properties, State action is the code for a State while label is the name of the State which "
        "would reflected as-is in the code generated.");

    titles[TOUR_TRANSITION_ITEM] = tr("Transition Item");
    texts[TOUR_TRANSITION_ITEM] = tr(
        "Transition Item represents a transition from one State to other. A transition would be executed "
        "when its condition(shown in blue) is true. The action code of transition is executed before making "
        "the transition to the destination State. To insert a Transition, select insert Transition from the "
        "toolbar, click on the source State and drag the mouse to the destination State.");

    titles[TOUR_MEMORY_ITEM] = tr("Memory Item");
    texts[TOUR_MEMORY_ITEM] = tr(
        "Memory Items are global variables used by the State Machine. In the generated code, Memory item "
        "would be defined as globals. Like any variable, a Memory item has a label and a datatype.");

    titles[TOUR_TEXT_ITEM] = tr("Text Item");
    texts[TOUR_TEXT_ITEM] = tr(
        "A Text item is a multipurpose graphics element. It can be used for definining Macros and including "
        "external files. Additionally, in the default mode, it can be used to insert comments and "
        "compilable code snippets to be placed in the global space.");
}

void TourBox::appendMessage(QFlags<TourMessage> message)
{
    const int index = int(message);
    if (index < 0 || index >= messageCount)
        return;
    text->appendMessage(titles[index], texts[index]);
    setGeometry(x(), y(), width(), text->getDocumentHeight());
}

void TourBox::updatePos(QPoint pos)
{
    move(pos);
}

void TourBox::keepInsideParent()
{
    const QWidget* area = parentWidget();
    if (!area)
        return;
    const int x = qMax(0, qMin(this->x(), area->width() - width()));
    const int y = qMax(0, qMin(this->y(), area->height() - height()));
    if (QPoint(x, y) != pos())
        move(x, y);
}

void TourBox::paintEvent(QPaintEvent* /*event*/)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
