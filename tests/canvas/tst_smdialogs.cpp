// The state, transition and text-item dialogs, driven through their widgets
// while they run modally.

#include <QtTest>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGraphicsSceneMouseEvent>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <cmath>

#include "canvas.h"
#include "initialtransition.h"
#include "initialtransitionline.h"
#include "modalanswerer.h"
#include "stateitem.h"
#include "stateproperties.h"
#include "testenvironment.h"
#include "textitem.h"
#include "textproperties.h"
#include "transitionitem.h"
#include "transitionproperties.h"

namespace {

struct Fixture
{
    QMenu menus[7];
    t_strContextMenu set {&menus[0], &menus[1], &menus[2], &menus[3], &menus[4], &menus[5], &menus[6]};
    Canvas canvas {&set};

    Fixture()
    {
        canvas.setLevel(5);
        canvas.setSceneRect(0, 0, 2000, 1050);
    }
    StateItem* readState(const QString& label, const QPointF& at, bool initial = false,
                         const QString& action = QString())
    {
        t_stateItemReadFromXML record;
        record.label = label;
        record.ifInitialState = initial;
        record.initialCondition = initial ? QStringLiteral("ready") : QString();
        record.initialDescription = initial ? QStringLiteral("start();") : QString();
        record.xCoord = at.x();
        record.yCoord = at.y();
        record.width = 280;
        record.height = 150;
        record.backgroundColour = QColor(QStringLiteral("#e5e7e9"));
        record.action = action;
        canvas.addStateItem(&record);
        return canvas.stateItems.last();
    }
    QImage render()
    {
        QImage image(2000, 1050, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        canvas.render(&painter, QRectF(0, 0, 2000, 1050), QRectF(0, 0, 2000, 1050));
        return image;
    }
};

template <typename T>
T* child(QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

// The measures of the font that sizes are computed from: the active window's
// (the running dialog's), as a widget resolves it for its screen.
struct Metrics
{
    qreal cw = 0;
    qreal lineH = 0;
    void take()
    {
        QWidget* window = QApplication::activeWindow();
        const QFontMetricsF metrics(window ? window->font() : QApplication::font());
        cw = metrics.averageCharWidth();
        lineH = metrics.height();
    }
    int w(const QString& s) const { return int(std::floor(8 * cw + cw * s.length())); }
};

} // namespace

class TestSmDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void formsAreBuiltOnFirstDisplay();
    void stateFormTexts_data();
    void stateFormTexts();
    void transitionFormTexts_data();
    void transitionFormTexts();
    void textFormTexts();

    void stateEditingOnlyTheActionAutoSizes();
    void stateEditingOnlyTheSpinBoxesUsesThem_data();
    void stateEditingOnlyTheSpinBoxesUsesThem();
    void stateLongActionLineCapsTheWidth();
    void stateAutoButtonFillsTheSpinBoxes();
    void stateCancelTakesNothingBack();
    void initialBoxIsBarredWhenAnotherStateIsInitial();
    void uncheckingInitialThenCancelStillClearsIt();
    void checkingInitialPlacesTheMarker();
    void initialPageIsEmptiedForANonInitialState();
    void stateColourPickedThroughTheSwatch();

    void transitionEditingTextAutoSizes();
    void transitionSpinBoxesAreCapped();
    void transitionCancelledColourFallsBackToDefault();

    void textChoosingMacrosShowsDefines();
    void textEditingAutoSizesAndSpinBoxesCap();
};

void TestSmDialogs::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestSmDialogs::formsAreBuiltOnFirstDisplay()
{
    StateProperties state;
    TransitionProperties transition;
    TextProperties text;
    QVERIFY(state.findChildren<QWidget*>().isEmpty());
    QVERIFY(transition.findChildren<QWidget*>().isEmpty());
    QVERIFY(text.findChildren<QWidget*>().isEmpty());
    state.fillProperties();
    transition.fillProperties();
    text.fillProperties();
    QVERIFY(state.findChild<QTabWidget*>("tabWidget"));
    QVERIFY(transition.findChild<QTabWidget*>("tabWidget"));
    QVERIFY(text.findChild<QTabWidget*>("tabWidget"));
    QVERIFY(!state.windowIcon().isNull());
}

void TestSmDialogs::stateFormTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("size") << "groupBox_3" << "Size:";
    QTest::newRow("width") << "label_8" << "Width:";
    QTest::newRow("height") << "label_9" << "Height:";
    QTest::newRow("auto") << "pushButton_3" << "Auto";
    QTest::newRow("label") << "LB_StateName" << "Label:";
    QTest::newRow("label edit") << "LE_StateName" << "Enter label for state item";
    QTest::newRow("action") << "LB_StateAction" << "Action:";
    QTest::newRow("action edit") << "TE_StateAction" << "Paste code for state item here";
    QTest::newRow("initial box") << "checkBox" << "Set Initial State";
    QTest::newRow("colour") << "LB_BgColor" << "Background Color:";
    QTest::newRow("condition") << "label_6" << "Condition:";
    QTest::newRow("condition edit") << "init_condition" << "Enter transition condition for initial state item";
    QTest::newRow("initial action") << "label_7" << "Action:";
    QTest::newRow("initial action edit") << "init_Action" << "Paste code for initial state item transition here";
    QTest::newRow("description") << "label" << "Description:";
    QTest::newRow("description edit") << "textEdit" << "Write description for state item here";
}

QString textOf(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return line->placeholderText();
    if (auto* edit = qobject_cast<QTextEdit*>(widget))
        return edit->placeholderText();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->title();
    return QString();
}

void TestSmDialogs::stateFormTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    StateProperties dialog;
    dialog.fillProperties();
    QWidget* widget = dialog.findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(textOf(widget), text);

    QCOMPARE(dialog.windowTitle(), QString("Korvel - State Item Properties"));
    QCOMPARE(dialog.minimumSize(), QSize(650, 720));
    QCOMPARE(dialog.size(), QSize(650, 720));
    QCOMPARE(child<QSpinBox>(&dialog, "spinBox")->maximum(), 850);
    QCOMPARE(child<QSpinBox>(&dialog, "spinBox_2")->maximum(), 500);
    auto* tabs = child<QTabWidget>(&dialog, "tabWidget");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QString("Properties"));
    QCOMPARE(tabs->tabText(1), QString("Initial"));
    QCOMPARE(tabs->tabText(2), QString("Description"));
    auto* buttons = child<QDialogButtonBox>(&dialog, "buttonBox");
    QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
}

void TestSmDialogs::transitionFormTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("colour") << "LB_BgColor" << "Background Color:";
    QTest::newRow("label") << "LB_TransitionName" << "Label:";
    QTest::newRow("label edit") << "LE_TransitionName" << "Enter label for transition item";
    QTest::newRow("condition") << "LB_TransitionCondition" << "Condition:";
    QTest::newRow("condition edit") << "LE_TransitionCondition" << "Enter transition condition here";
    QTest::newRow("action") << "LB_TransitionAction" << "Action:";
    QTest::newRow("action edit") << "TE_TransitionAction" << "Paste code for transition item here";
    QTest::newRow("size") << "groupBox_3" << "Size:";
    QTest::newRow("width") << "label_6" << "Width:";
    QTest::newRow("height") << "label_7" << "Height:";
    QTest::newRow("auto") << "pushButton_2" << "Auto";
    QTest::newRow("description") << "label" << "Description:";
    QTest::newRow("description edit") << "textEdit" << "Write description for transition item here";
}

void TestSmDialogs::transitionFormTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    TransitionProperties dialog;
    dialog.fillProperties();
    QWidget* widget = dialog.findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(textOf(widget), text);
    QCOMPARE(dialog.windowTitle(), QString("Korvel - Transition Item Properties"));
    QCOMPARE(dialog.minimumSize(), QSize(650, 720));
    QCOMPARE(child<QSpinBox>(&dialog, "spinBox")->maximum(), 600);
    QCOMPARE(child<QSpinBox>(&dialog, "spinBox_2")->maximum(), 400);
}

void TestSmDialogs::textFormTexts()
{
    TextProperties dialog;
    dialog.fillProperties();
    QCOMPARE(dialog.windowTitle(), QString("Korvel - Text Item Properties"));
    QCOMPARE(child<QTabWidget>(&dialog, "tabWidget")->tabText(0), QString("Properties"));
    QVERIFY(child<QWidget>(&dialog, "tab"));
    QCOMPARE(child<QLabel>(&dialog, "label_3")->text(), QString("Type:"));
    QCOMPARE(child<QLabel>(&dialog, "label_2")->text(),
             QString("Note: At a time, Action value for only one type of input would be retained."));
    QCOMPARE(child<QLabel>(&dialog, "label")->text(), QString("Action :"));
    QCOMPARE(child<QTextEdit>(&dialog, "textEdit")->placeholderText(), QString("Paste code for text item here"));
    QCOMPARE(child<QGroupBox>(&dialog, "groupBox")->title(), QString("Size:"));
    QCOMPARE(child<QLabel>(&dialog, "label_6")->text(), QString("Width:"));
    QCOMPARE(child<QLabel>(&dialog, "label_7")->text(), QString("Height:"));
    QCOMPARE(child<QPushButton>(&dialog, "pushButton")->text(), QString("Auto"));
    QCOMPARE(child<QSpinBox>(&dialog, "spinBox")->maximum(), 850);
    QCOMPARE(child<QSpinBox>(&dialog, "spinBox_2")->maximum(), 500);
    auto* combo = child<QComboBox>(&dialog, "comboBox");
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(0), QString("Default"));
    QCOMPARE(combo->itemText(1), QString("Includes"));
    QCOMPARE(combo->itemText(2), QString("Macros"));
    QCOMPARE(dialog.typeNames, QStringList({"Default", "Includes", "Macros"}));
}

void TestSmDialogs::stateEditingOnlyTheActionAutoSizes()
{
    Fixture f;
    StateItem* state = f.readState("Idle", QPointF(100, 100));
    const QString action = QStringLiteral("a = 1;\nb = 2;\nc = 3;\nd = 4;\ne = 5;\nf = 6;");
    Metrics m;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        m.take();
        child<QTextEdit>(dialog, "TE_StateAction")->setPlainText(action);
        // Ignored: the new text decides the size.
        child<QSpinBox>(dialog, "spinBox")->setValue(700);
    });
    state->displayProperties(false);
    QCOMPARE(answer.answeredCount(), 1);

    QCOMPARE(state->getAction(), action);
    QCOMPARE(state->getWidth(), qMax(280, int(std::floor(m.w("a = 1;") + 6 * m.cw))));
    QCOMPARE(state->getHeight(), qMax(150, int(std::floor(m.lineH * 9))));
    QCOMPARE(state->myPolygon().at(2), QPointF(state->getWidth(), state->getHeight()));
    QCOMPARE(state->getLabel(), QString("Idle"));
}

void TestSmDialogs::stateEditingOnlyTheSpinBoxesUsesThem_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("within") << 400 << 300 << QSize(400, 300);
    QTest::newRow("beyond") << 9999 << 9999 << QSize(850, 500);
    QTest::newRow("small") << 20 << 10 << QSize(20, 10);
}

void TestSmDialogs::stateEditingOnlyTheSpinBoxesUsesThem()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QSize, expected);
    Fixture f;
    StateItem* state = f.readState("Idle", QPointF(100, 100), false, "x = 1;");
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        child<QSpinBox>(dialog, "spinBox")->setValue(width);
        child<QSpinBox>(dialog, "spinBox_2")->setValue(height);
        child<QTextEdit>(dialog, "textEdit")->setPlainText("described");
    });
    state->displayProperties(false);
    QCOMPARE(QSize(state->getWidth(), state->getHeight()), expected);
    QCOMPARE(state->boundingRect(), QRectF(QPointF(0, 0), QSizeF(expected)));
    QCOMPARE(state->getDescription(), QString("described"));
    QCOMPARE(state->getAction(), QString("x = 1;"));
}

void TestSmDialogs::stateLongActionLineCapsTheWidth()
{
    Fixture f;
    StateItem* state = f.readState("Idle", QPointF(100, 100));
    Metrics m;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        m.take();
        child<QTextEdit>(dialog, "TE_StateAction")->setPlainText(QString(200, QLatin1Char('y')));
    });
    state->displayProperties(false);
    QCOMPARE(state->getWidth(), int(std::floor(850 + 6 * m.cw)));
    QCOMPARE(state->getHeight(), 150);
}

void TestSmDialogs::stateAutoButtonFillsTheSpinBoxes()
{
    Fixture f;
    StateItem* state = f.readState("Idle", QPointF(100, 100));
    int shownWidth = -1;
    int shownHeight = -1;
    Metrics m;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Cancel, [&](QWidget* dialog) {
        m.take();
        child<QLineEdit>(dialog, "LE_StateName")->setText(QString(70, QLatin1Char('n')));
        child<QPushButton>(dialog, "pushButton_3")->click();
        shownWidth = child<QSpinBox>(dialog, "spinBox")->value();
        shownHeight = child<QSpinBox>(dialog, "spinBox_2")->value();
    });
    state->displayProperties(false);
    QCOMPARE(shownWidth, int(std::floor(m.w(QString(70, 'n')) + 6 * m.cw)));
    QCOMPARE(shownHeight, 150);
    // Cancelled: the state keeps its own label.
    QCOMPARE(state->getLabel(), QString("Idle"));
}

void TestSmDialogs::stateCancelTakesNothingBack()
{
    Fixture f;
    StateItem* state = f.readState("Idle", QPointF(100, 100), false, "keep();");
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Cancel, [](QWidget* dialog) {
        child<QLineEdit>(dialog, "LE_StateName")->setText("Other");
        child<QTextEdit>(dialog, "TE_StateAction")->setPlainText("lost();");
        child<QSpinBox>(dialog, "spinBox")->setValue(500);
    });
    state->displayProperties(false);
    QCOMPARE(state->getLabel(), QString("Idle"));
    QCOMPARE(state->getAction(), QString("keep();"));
    QCOMPARE(state->getWidth(), 280);

    // The next run starts again from the state's values.
    QString shownLabel;
    ModalAnswerer again; // a dialog shown again needs a fresh answerer
    again.reject([&](QWidget* dialog) { shownLabel = child<QLineEdit>(dialog, "LE_StateName")->text(); });
    state->displayProperties(false);
    QCOMPARE(shownLabel, QString("Idle"));
}

void TestSmDialogs::initialBoxIsBarredWhenAnotherStateIsInitial()
{
    Fixture f;
    StateItem* first = f.readState("First", QPointF(100, 300), true);
    StateItem* second = f.readState("Second", QPointF(800, 300));
    bool checkable = true;
    bool conditionEnabled = true;
    bool actionEnabled = true;
    bool checkedAfterClick = true;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        auto* box = child<QCheckBox>(dialog, "checkBox");
        checkable = box->isCheckable();
        conditionEnabled = child<QTextEdit>(dialog, "init_condition")->isEnabled();
        actionEnabled = child<QTextEdit>(dialog, "init_Action")->isEnabled();
        box->click();
        checkedAfterClick = box->isChecked();
    });
    f.canvas.currentState = second;
    f.canvas.displayStateProperties();

    QVERIFY(!checkable);
    QVERIFY(!conditionEnabled);
    QVERIFY(!actionEnabled);
    QVERIFY(!checkedAfterClick);
    QVERIFY(!second->initialStatus());
    QVERIFY(first->initialStatus());
    QCOMPARE(f.canvas.initialTransition->getInitialState(), first);

    // The first state's own dialog is not barred.
    ModalAnswerer other;
    other.reject([&](QWidget* dialog) {
        checkable = child<QCheckBox>(dialog, "checkBox")->isCheckable();
        checkedAfterClick = child<QCheckBox>(dialog, "checkBox")->isChecked();
        conditionEnabled = child<QTextEdit>(dialog, "init_condition")->toPlainText() == "ready";
    });
    f.canvas.currentState = first;
    f.canvas.displayStateProperties();
    QVERIFY(checkable);
    QVERIFY(checkedAfterClick);
    QVERIFY(conditionEnabled);
}

void TestSmDialogs::uncheckingInitialThenCancelStillClearsIt()
{
    Fixture f;
    StateItem* state = f.readState("Start", QPointF(100, 300), true);
    QCOMPARE(f.canvas.initialTransition->scene(), &f.canvas);
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Cancel, [](QWidget* dialog) {
        child<QCheckBox>(dialog, "checkBox")->click();
    });
    f.canvas.currentState = state;
    f.canvas.displayStateProperties();

    QVERIFY(!state->initialStatus());
    QVERIFY(!f.canvas.initialTransition->scene());
    QVERIFY(!f.canvas.initialTransitionLine->scene());
    QVERIFY(!f.canvas.initialTransition->getInitialState());
    QVERIFY(!f.canvas.enableDisableStateSetInitChkBox(nullptr));
}

void TestSmDialogs::checkingInitialPlacesTheMarker()
{
    Fixture f;
    StateItem* state = f.readState("Start", QPointF(100, 300));
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        child<QCheckBox>(dialog, "checkBox")->click();
        child<QTextEdit>(dialog, "init_condition")->setPlainText("power_on");
        child<QTextEdit>(dialog, "init_Action")->setPlainText("boot();");
    });
    f.canvas.currentState = state;
    f.canvas.displayStateProperties();

    QVERIFY(state->initialStatus());
    QCOMPARE(state->getInitCondition(), QString("power_on"));
    QCOMPARE(state->getInitDescription(), QString("boot();"));
    QCOMPARE(f.canvas.initialTransition->scene(), &f.canvas);
    QCOMPARE(f.canvas.initialTransitionLine->scene(), &f.canvas);
    QCOMPARE(f.canvas.initialTransition->pos(), QPointF(230, 225));
    f.render();
    QCOMPARE(f.canvas.initialTransitionLine->line(), QLineF(QPointF(240, 300), QPointF(240, 235)));
}

void TestSmDialogs::initialPageIsEmptiedForANonInitialState()
{
    Fixture f;
    t_stateItemReadFromXML record;
    record.label = QStringLiteral("Was");
    record.initialCondition = QStringLiteral("stale");
    record.initialDescription = QStringLiteral("stale();");
    record.width = 280;
    record.height = 150;
    f.canvas.addStateItem(&record);
    StateItem* state = f.canvas.stateItems.last();
    QString condition = "unset";
    QString action = "unset";
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        condition = child<QTextEdit>(dialog, "init_condition")->toPlainText();
        action = child<QTextEdit>(dialog, "init_Action")->toPlainText();
    });
    state->displayProperties(false);
    QCOMPARE(condition, QString());
    QCOMPARE(action, QString());
    // Not initial: the state keeps what it had.
    QCOMPARE(state->getInitCondition(), QString("stale"));
}

void TestSmDialogs::stateColourPickedThroughTheSwatch()
{
    Fixture f;
    StateItem* state = f.readState("Idle", QPointF(100, 100));
    QString swatchStyle;
    QString colourTitle;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        ModalAnswerer colour;
        colour.accept([&](QWidget* picker) {
            colourTitle = picker->windowTitle();
            qobject_cast<QColorDialog*>(picker)->setCurrentColor(QColor(18, 52, 86));
        });
        QTest::mouseClick(child<QLabel>(dialog, "LB_Color"), Qt::LeftButton);
        swatchStyle = child<QLabel>(dialog, "LB_Color")->styleSheet();
    });
    state->displayProperties(false);
    QCOMPARE(colourTitle, QString("Select Color"));
    QCOMPARE(swatchStyle, QString("background-color:rgb(18,52,86);"));
    QCOMPARE(state->getBackgroundColour(), QColor(18, 52, 86));
}

void TestSmDialogs::transitionEditingTextAutoSizes()
{
    Fixture f;
    StateItem* a = f.readState("A", QPointF(0, 0));
    StateItem* b = f.readState("B", QPointF(800, 0));
    TransitionItem t(nullptr, a, b, nullptr);
    const QString condition = QStringLiteral("temperature > limit && fan_is_running");
    Metrics m;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        m.take();
        child<QLineEdit>(dialog, "LE_TransitionName")->setText("overheat");
        child<QLineEdit>(dialog, "LE_TransitionCondition")->setText(condition);
        child<QTextEdit>(dialog, "textEdit")->setPlainText("cools down");
    });
    t.displayProperties();
    QCOMPARE(t.getLabel(), QString("overheat"));
    QCOMPARE(t.getCondition(), condition);
    QCOMPARE(t.getDescription(), QString("cools down"));
    QCOMPARE(t.getTransitionItemWidth(), int(std::floor(m.w(condition) + 6 * m.cw)));
    QCOMPARE(t.getTransitionItemHeight(), qMax(75, int(std::floor(m.lineH * 5))));
    QCOMPARE(t.rect(), QRectF(0, 0, t.getTransitionItemWidth(), t.getTransitionItemHeight()));
}

void TestSmDialogs::transitionSpinBoxesAreCapped()
{
    Fixture f;
    StateItem* a = f.readState("A", QPointF(0, 0));
    TransitionItem t(nullptr, a, a, nullptr);
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        child<QSpinBox>(dialog, "spinBox")->setValue(5000);
        child<QSpinBox>(dialog, "spinBox_2")->setValue(5000);
    });
    t.displayProperties();
    QCOMPARE(t.getTransitionItemWidth(), 600);
    QCOMPARE(t.getTransitionItemHeight(), 400);
    QCOMPARE(t.myPolygon().at(2), QPointF(600, 400));
}

void TestSmDialogs::transitionCancelledColourFallsBackToDefault()
{
    Fixture f;
    StateItem* a = f.readState("A", QPointF(0, 0));
    StateItem* b = f.readState("B", QPointF(900, 0));
    t_transitionItemReadFromXML record;
    record.startItem = "A";
    record.endItem = "B";
    record.backgroundColour = QColor(Qt::red);
    record.width = 150;
    record.height = 75;
    record.xCoord = 500;
    record.yCoord = 40;
    f.canvas.addTransitionItem(&record);
    TransitionItem* t = f.canvas.transitionItems.last();
    QVERIFY(a && b);
    QString swatchStyle;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        ModalAnswerer colour;
        colour.reject();
        QTest::mouseClick(child<QLabel>(dialog, "LB_Color"), Qt::LeftButton);
        swatchStyle = child<QLabel>(dialog, "LB_Color")->styleSheet();
    });
    t->displayProperties();
    QCOMPARE(swatchStyle, QString("background-color:rgb(0,0,0);"));
    QVERIFY(!t->getBackgroundColour().isValid());
    const QImage image = f.render();
    QCOMPARE(t->getBackgroundColour(), QColor(0xe5, 0xe7, 0xe9));
    QCOMPARE(image.pixelColor(500 + 140, 40 + 70), QColor(0xe5, 0xe7, 0xe9));
}

void TestSmDialogs::textChoosingMacrosShowsDefines()
{
    Fixture f;
    f.canvas.setMode(Canvas::InsertText);
    QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
    press.setScenePos(QPointF(400, 200));
    press.setButton(Qt::LeftButton);
    QApplication::sendEvent(&f.canvas, &press);
    TextItem* text = f.canvas.textItems.last();
    QString shownType;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        shownType = child<QComboBox>(dialog, "comboBox")->currentText();
        child<QComboBox>(dialog, "comboBox")->setCurrentText("Macros");
    });
    f.canvas.currentText = text;
    f.canvas.displayTextItemProperties();
    QCOMPARE(shownType, QString("Default"));
    QCOMPARE(text->getItemType(), 2);
    QCOMPARE(text->heading(), QString("DEFINES"));
    // Untouched text and size: the spin boxes keep 150 x 75.
    QCOMPARE(text->getWidth(), 150);
    QCOMPARE(text->getHeight(), 75);

    ModalAnswerer again; // a dialog shown again needs a fresh answerer
    again.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        shownType = child<QComboBox>(dialog, "comboBox")->currentText();
        child<QComboBox>(dialog, "comboBox")->setCurrentText("Includes");
    });
    text->displayProperties();
    QCOMPARE(shownType, QString("Macros"));
    QCOMPARE(text->heading(), QString("INCLUDES"));
}

void TestSmDialogs::textEditingAutoSizesAndSpinBoxesCap()
{
    Fixture f;
    t_textItemReadFromXML record;
    record.width = 150;
    record.height = 75;
    f.canvas.addTextItem(&record);
    TextItem* text = f.canvas.textItems.last();
    const QString code = QStringLiteral("#include <stdint.h>\n#include \"door_driver_interface.h\"\n#include <string.h>");
    Metrics m;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        m.take();
        child<QTextEdit>(dialog, "textEdit")->setPlainText(code);
    });
    text->displayProperties();
    QCOMPARE(text->getAction(), code);
    QCOMPARE(text->getWidth(), qMax(150, int(std::floor(m.w("#include \"door_driver_interface.h\"") + 6 * m.cw))));
    QCOMPARE(text->getHeight(), qMax(75, int(std::floor(m.lineH * 5.5))));

    ModalAnswerer again; // a dialog shown again needs a fresh answerer
    again.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        child<QSpinBox>(dialog, "spinBox")->setValue(2000);
        child<QSpinBox>(dialog, "spinBox_2")->setValue(2000);
    });
    text->displayProperties();
    QCOMPARE(text->getWidth(), 850);
    QCOMPARE(text->getHeight(), 500);

    ModalAnswerer third; // a dialog shown again needs a fresh answerer
    third.pressButton(QDialogButtonBox::Cancel, [](QWidget* dialog) {
        child<QSpinBox>(dialog, "spinBox")->setValue(300);
        child<QComboBox>(dialog, "comboBox")->setCurrentText("Macros");
    });
    text->displayProperties();
    QCOMPARE(text->getWidth(), 850);
    QCOMPARE(text->getItemType(), 0);
}

QTEST_MAIN(TestSmDialogs)
#include "tst_smdialogs.moc"
