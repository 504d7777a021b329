// The state, transition and text-item dialogs, driven through their widgets
// while they run modally.

#include <QtTest>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGraphicsSceneMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>
#include <cmath>

#include "initialtransition.h"
#include "initialtransitionline.h"
#include "modalanswerer.h"
#include "smcanvas.h"
#include "stateproperties.h"
#include "testenvironment.h"
#include "textproperties.h"
#include "transitionproperties.h"

namespace {

using Fixture = SmCanvas;

// The measures of the font that sizes are computed from: the application's,
// whichever window is active.
struct Metrics
{
    qreal cw = 0;
    qreal lineH = 0;
    void take()
    {
        const QFontMetricsF metrics(QApplication::font());
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

    void stateEditingOnlyTheActionAutoSizes_data();
    void stateEditingOnlyTheActionAutoSizes();
    void stateEditingOnlyTheSpinBoxesUsesThem_data();
    void stateEditingOnlyTheSpinBoxesUsesThem();
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

void TestSmDialogs::stateEditingOnlyTheActionAutoSizes_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("widest");
    QTest::newRow("six lines") << "a = 1;\nb = 2;\nc = 3;\nd = 4;\ne = 5;\nf = 6;" << "a = 1;";
    QTest::newRow("one 200-character line caps the width") << QString(200, 'y') << QString(200, 'y');
}

void TestSmDialogs::stateEditingOnlyTheActionAutoSizes()
{
    QFETCH(QString, action);
    QFETCH(QString, widest);
    Fixture f;
    StateItem* state = f.state("Idle", QPointF(100, 100));
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
    QCOMPARE(state->getWidth(), qMax(280, int(std::floor(qMin(m.w(widest), 850) + 6 * m.cw))));
    QCOMPARE(state->getHeight(), qMax(150, int(std::floor(m.lineH * (action.count('\n') + 4)))));
    QCOMPARE(state->myPolygon().at(2), QPointF(state->getWidth(), state->getHeight()));
    QCOMPARE(state->getLabel(), QString("Idle"));
    if (widest.size() == 200) {
        QCOMPARE(state->getWidth(), int(std::floor(850 + 6 * m.cw)));
        QCOMPARE(state->getHeight(), 150);
    }
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
    StateItem* state = f.state("Idle", QPointF(100, 100), false, "x = 1;");
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

void TestSmDialogs::stateAutoButtonFillsTheSpinBoxes()
{
    Fixture f;
    StateItem* state = f.state("Idle", QPointF(100, 100));
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
    StateItem* state = f.state("Idle", QPointF(100, 100), false, "keep();");
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
    StateItem* first = f.state("First", QPointF(100, 300), true);
    StateItem* second = f.state("Second", QPointF(800, 300));
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
    StateItem* state = f.state("Start", QPointF(100, 300), true);
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
    StateItem* state = f.state("Start", QPointF(100, 300));
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
    StateItem* state = f.state("Idle", QPointF(100, 100));
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
    StateItem* a = f.state("A", QPointF(0, 0));
    StateItem* b = f.state("B", QPointF(800, 0));
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
    StateItem* a = f.state("A", QPointF(0, 0));
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
    StateItem* a = f.state("A", QPointF(0, 0));
    StateItem* b = f.state("B", QPointF(900, 0));
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
