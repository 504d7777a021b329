// New project: the name rule and the default project file.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "createproject.h"
#include "mainwindow.h"
#include "processitem.h"
#include "projectplacer.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "transitionitem.h"
#include "treemodel.h"
#include "xmlio.h"

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray expectedDefaultFile(const QByteArray& name)
{
    QByteArray text = R"(<?xml version="1.0" encoding="UTF-8"?>
<VornProject>
    <ProjectFiles>{CRLF}{NAME}{CRLF}    Hardware Module{CRLF}        Microcontroller{CRLF}            Software Module{CRLF}                StateMachine_1{CRLF}</ProjectFiles>
    <SceneData version="v1.0">
        <GraphicsItemList>
            <Process level="1" Nos="1" id="1" label="{NAME}" parentId="1" grandParentId="1" xCoord="300" yCoord="300" width="300" height="250" shape="1" code="" description="" backgroundColour="#FEC309" polygon="0,0,300,0,300,250,0,250,0,0"/>
            <Process level="2" Nos="1" id="1" label="Hardware Module" parentId="1" grandParentId="1" xCoord="300" yCoord="300" width="300" height="250" shape="1" code="" description="" backgroundColour="#FEC309" polygon="0,0,300,0,300,250,0,250,0,0"/>
            <Process level="3" Nos="1" id="1" label="Microcontroller" parentId="1" grandParentId="1" xCoord="300" yCoord="300" width="300" height="250" shape="1" code="" description="" backgroundColour="#FEC309" polygon="0,0,500,0,500,500,0,500,0,0"/>
            <Process level="4" Nos="1" id="1" label="Software Module" parentId="1" grandParentId="1" xCoord="300" yCoord="300" width="300" height="250" shape="1" code="" description="" backgroundColour="#FEC309" polygon="0,0,300,0,300,250,0,250,0,0"/>
            <Process level="5" Nos="1" id="1" label="StateMachine_1" parentId="1" grandParentId="1" xCoord="300" yCoord="300" width="300" height="250" shape="1" code="" description="" backgroundColour="#FC0127" polygon="0,0,300,0,300,250,0,250,0,0">
                <StateItems number="2">
                    <StateItem>
                        <level>6</level>
                        <parentId>1</parentId>
                        <grandParentId>1</grandParentId>
                        <label>InitialState</label>
                        <ifInitialState>1</ifInitialState>
                        <initialCondition></initialCondition>
                        <initialDescription></initialDescription>
                        <xCoord>200</xCoord>
                        <yCoord>400</yCoord>
                        <width>280</width>
                        <height>150</height>
                        <backgroundColour>#e5e7e9</backgroundColour>
                        <polygon>0,0,280,0,280,150,0,150,0,0</polygon>
                        <action></action>
                        <description></description>
                        <numberOfTI>1</numberOfTI>
                        <transitions>DefaultTransition</transitions>
                    </StateItem>
                    <StateItem>
                        <level>6</level>
                        <parentId>1</parentId>
                        <grandParentId>1</grandParentId>
                        <label>SecondaryState</label>
                        <ifInitialState>0</ifInitialState>
                        <initialCondition></initialCondition>
                        <initialDescription></initialDescription>
                        <xCoord>1000</xCoord>
                        <yCoord>400</yCoord>
                        <width>280</width>
                        <height>150</height>
                        <backgroundColour>#e5e7e9</backgroundColour>
                        <polygon>0,0,280,0,280,150,0,150,0,0</polygon>
                        <action></action>
                        <description></description>
                        <numberOfTI>1</numberOfTI>
                        <transitions>DefaultTransition</transitions>
                    </StateItem>
                </StateItems>
                <TransitionItems number="1">
                    <TransitionItem>
                        <level>6</level>
                        <parentId>1</parentId>
                        <grandParentId>1</grandParentId>
                        <label>DefaultTransition</label>
                        <condition></condition>
                        <backgroundColour>#e5e7e9</backgroundColour>
                        <xCoord>650</xCoord>
                        <yCoord>650</yCoord>
                        <midPos></midPos>
                        <width>150</width>
                        <height>75</height>
                        <polygon>0,0,150,0,150,75,0,75,0,0</polygon>
                        <startItem>InitialState</startItem>
                        <endItem>SecondaryState</endItem>
                        <description></description>
                        <action></action>
                    </TransitionItem>
                </TransitionItems>
            </Process>
        </GraphicsItemList>
    </SceneData>
</VornProject>)";
    text.replace("{CRLF}", "\r\n");
    text.replace("{NAME}", name);
    return text;
}

} // namespace

class TestCreateProject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void singleInstance();
    void defaultFileHasExactBytes();
    void validateProjectName_data();
    void validateProjectName();
    void nameRule_data();
    void nameRule();
    void existingFileIsReplaced();
    void unwritableFolderStillAnswersOne();
    void browserModelIsClearedOnlyForGoodNames();
    void defaultFilePassesCheckAndReads();
    void defaultFileLoadsIntoFiveCanvases();

private:
    QTemporaryDir dir;
};

void TestCreateProject::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
    QVERIFY(dir.isValid());
}

void TestCreateProject::cleanupTestCase()
{
    delete CreateProject::getInstance(nullptr);
}

void TestCreateProject::singleInstance()
{
    CreateProject* first = CreateProject::getInstance(nullptr);
    QVERIFY(first);
    QCOMPARE(CreateProject::getInstance(nullptr), first);
}

void TestCreateProject::defaultFileHasExactBytes()
{
    const QString path = dir.filePath(QStringLiteral("Door_Ctrl2.vorn"));
    QCOMPARE(CreateProject::getInstance(nullptr)->processNewProject(path), 1);
    QCOMPARE(CreateProject::getInstance(nullptr)->getProjectFilePath(), path);
    QCOMPARE(CreateProject::getInstance(nullptr)->getProjectName(), QStringLiteral("Door_Ctrl2"));
    const QByteArray bytes = readAll(path);
    const QByteArray expected = expectedDefaultFile("Door_Ctrl2");
    if (bytes != expected) {
        for (int i = 0; i < qMin(bytes.size(), expected.size()); ++i) {
            if (bytes.at(i) != expected.at(i)) {
                qWarning() << "first difference at" << i << bytes.mid(i, 60) << expected.mid(i, 60);
                break;
            }
        }
    }
    QCOMPARE(bytes, expected);
}

void TestCreateProject::validateProjectName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("letters digits underscore") << "Door_Ctrl2" << true;
    QTest::newRow("underscore only") << "_" << true;
    QTest::newRow("digits only") << "0123456789" << true;
    QTest::newRow("all letters") << "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blank") << "Door Ctrl" << false;
    QTest::newRow("hyphen") << "Door-Ctrl" << false;
    QTest::newRow("dot") << "Door.Ctrl" << false;
    QTest::newRow("umlaut") << QString::fromUtf8("T\xc3\xbcr") << false;
    QTest::newRow("full-width digit") << QString::fromUtf8("A\xef\xbc\x91") << false;
    QTest::newRow("tab") << "A\tB" << false;
    QTest::newRow("slash") << "a/b" << false;
}

void TestCreateProject::validateProjectName()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(CreateProject::validateProjectName(name), valid);
}

void TestCreateProject::nameRule_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("writtenFile");
    QTest::addColumn<QString>("projectName");
    QTest::newRow("plain") << "Door_Ctrl2.vorn" << 1 << "Door_Ctrl2.vorn" << "Door_Ctrl2";
    QTest::newRow("extension added") << "Lift" << 1 << "Lift.vorn" << "Lift";
    QTest::newRow("blank") << "Door Ctrl.vorn" << 2 << "" << "";
    QTest::newRow("hyphen") << "Door-Ctrl.vorn" << 2 << "" << "";
    QTest::newRow("nothing before extension") << ".vorn" << 2 << "" << "";
    QTest::newRow("empty") << "" << 2 << "" << "";
    QTest::newRow("other extension") << "Door.txt" << 2 << "" << "";
    QTest::newRow("upper-case extension") << "Door.VORN" << 2 << "" << "";
    QTest::newRow("two extensions") << "Door.vorn.vorn" << 2 << "" << "";
}

void TestCreateProject::nameRule()
{
    QFETCH(QString, fileName);
    QFETCH(int, result);
    QFETCH(QString, writtenFile);
    QFETCH(QString, projectName);

    QTemporaryDir folder(dir.filePath(QStringLiteral("rule-XXXXXX")));
    QVERIFY(folder.isValid());
    CreateProject* create = CreateProject::getInstance(nullptr);
    const QString path = folder.path() + QLatin1Char('/') + fileName;
    QCOMPARE(create->processNewProject(path), result);
    const QStringList written = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    if (result == 1) {
        QCOMPARE(written, QStringList(writtenFile));
        QCOMPARE(create->getProjectFilePath(), folder.path() + QLatin1Char('/') + writtenFile);
        QCOMPARE(create->getProjectName(), projectName);
        QCOMPARE(readAll(create->getProjectFilePath()), expectedDefaultFile(projectName.toUtf8()));
    } else {
        QCOMPARE(written, QStringList());
    }
}

void TestCreateProject::existingFileIsReplaced()
{
    const QString path = dir.filePath(QStringLiteral("Existing.vorn"));
    writeFile(path, QByteArray(100000, 'x'));
    QCOMPARE(CreateProject::getInstance(nullptr)->processNewProject(path), 1);
    QCOMPARE(readAll(path), expectedDefaultFile("Existing"));
}

void TestCreateProject::unwritableFolderStillAnswersOne()
{
    // A file where the folder should be: nothing can be created below it.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    writeFile(blocker, "not a folder");
    const QString path = blocker + QStringLiteral("/Door.vorn");
    QCOMPARE(CreateProject::getInstance(nullptr)->processNewProject(path), 1);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(readAll(blocker), QByteArray("not a folder"));
    QVERIFY(!CreateProject::getInstance(nullptr)->writeDefaultProjFile(path));

    XmlIO io;
    io.setFilePath(path);
    QString names;
    QVERIFY(!io.readProjectFileNames(&names));
    QVERIFY(!io.readProjectFile());
}

void TestCreateProject::browserModelIsClearedOnlyForGoodNames()
{
    TreeModel* saved = projmodel;
    TreeModel model(QStringList{QString()}, QStringLiteral("Old\n    Child\nOther\n"));
    projmodel = &model;
    QCOMPARE(model.rowCount(), 2);

    CreateProject* create = CreateProject::getInstance(nullptr);
    QCOMPARE(create->processNewProject(dir.filePath(QStringLiteral("bad name.vorn"))), 2);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(create->processNewProject(dir.filePath(QStringLiteral("Good.vorn"))), 1);
    QCOMPARE(model.rowCount(), 0);
    projmodel = saved;
}

void TestCreateProject::defaultFilePassesCheckAndReads()
{
    const QString path = dir.filePath(QStringLiteral("Reader.vorn"));
    QCOMPARE(CreateProject::getInstance(nullptr)->processNewProject(path), 1);

    XmlIO io;
    io.setFilePath(path);
    QVERIFY(io.checkProjectFileCorrupt());
    QString names;
    QVERIFY(io.readProjectFileNames(&names));
    QCOMPARE(names, QStringLiteral("\nReader\n    Hardware Module\n        Microcontroller\n"
                                   "            Software Module\n                StateMachine_1\n"));
    QVERIFY(io.readProjectFile());

    QCOMPARE(io.processItemRecords.size(), 5);
    const QStringList labels = {"Reader", "Hardware Module", "Microcontroller", "Software Module",
                                "StateMachine_1"};
    for (int i = 0; i < 5; ++i) {
        const t_processItemReadFromXML& p = io.processItemRecords.at(i);
        QCOMPARE(p.level, i + 1);
        QCOMPARE(p.label, labels.at(i));
        QCOMPARE(p.id, 1);
        QCOMPARE(p.Nos, 1);
        QCOMPARE(p.parentId, 1);
        QCOMPARE(p.grandParentId, 1);
        QCOMPARE(p.xCoord, 300.0);
        QCOMPARE(p.yCoord, 300.0);
        QCOMPARE(p.width, 300);
        QCOMPARE(p.height, 250);
        QCOMPARE(p.shape, 1);
        QCOMPARE(p.backgroundColour, i == 4 ? QColor(0xfc, 0x01, 0x27) : QColor(0xfe, 0xc3, 0x09));
        const int side = i == 2 ? 500 : 300;
        const int tall = i == 2 ? 500 : 250;
        QCOMPARE(p.polygon, (QVector<QPoint>{{0, 0}, {side, 0}, {side, tall}, {0, tall}, {0, 0}}));
    }
    QCOMPARE(io.stateItemRecords.size(), 2);
    QCOMPARE(io.stateItemRecords.at(0).label, QStringLiteral("InitialState"));
    QCOMPARE(io.stateItemRecords.at(0).ifInitialState, true);
    QCOMPARE(io.stateItemRecords.at(0).xCoord, 200.0);
    QCOMPARE(io.stateItemRecords.at(1).label, QStringLiteral("SecondaryState"));
    QCOMPARE(io.stateItemRecords.at(1).ifInitialState, false);
    QCOMPARE(io.stateItemRecords.at(1).xCoord, 1000.0);
    for (const t_stateItemReadFromXML& s : qAsConst(io.stateItemRecords)) {
        QCOMPARE(s.level, 6);
        QCOMPARE(s.numberOfTI, 1);
        QCOMPARE(s.transitions, QStringList(QStringLiteral("DefaultTransition")));
        QCOMPARE(s.backgroundColour, QColor(0xe5, 0xe7, 0xe9));
    }
    QCOMPARE(io.transitionItemRecords.size(), 1);
    const t_transitionItemReadFromXML& t = io.transitionItemRecords.first();
    QCOMPARE(t.label, QStringLiteral("DefaultTransition"));
    QCOMPARE(t.startItem, QStringLiteral("InitialState"));
    QCOMPARE(t.endItem, QStringLiteral("SecondaryState"));
    QCOMPARE(t.xCoord, 650.0);
    QCOMPARE(t.width, 150);
    QCOMPARE(t.height, 75);
    QCOMPARE(io.textItemRecords.size(), 0);
    QCOMPARE(io.linkItemRecords.size(), 0);
    QCOMPARE(io.memoryItemRecords.size(), 0);
    QCOMPARE(io.dataflowItemRecords.size(), 0);
}

void TestCreateProject::defaultFileLoadsIntoFiveCanvases()
{
    MainWindow window;
    const QString path = dir.filePath(QStringLiteral("Loaded.vorn"));
    QCOMPARE(CreateProject::getInstance(&window)->processNewProject(path), 1);
    XmlIO& io = window.projectIO();
    io.setFilePath(path);
    QString names;
    QVERIFY(io.readProjectFileNames(&names));
    QVERIFY(io.readProjectFile());
    ProjectPlacer::place(window, io);

    QCOMPARE(window.getCanvases().size(), 5);
    for (int level = 1; level <= 5; ++level)
        QCOMPARE(window.getCanvases().at(level - 1)->getLevel(), level);
    Canvas* machine = window.getCanvases().at(4);
    QCOMPARE(machine->stateItems.size(), 2);
    QCOMPARE(machine->transitionItems.size(), 1);
    QVERIFY(machine->stateItems.at(0)->initialStatus());
    QCOMPARE(machine->stateItems.at(0)->getLabel(), QStringLiteral("InitialState"));
    QVERIFY(!machine->stateItems.at(1)->initialStatus());

    Canvas* hardware = window.getCanvases().at(1);
    QCOMPARE(hardware->processItems.size(), 1);
    QCOMPARE(hardware->processItems.first()->getLabel(), QStringLiteral("Microcontroller"));
    QCOMPARE(hardware->processItems.first()->myPolygon(),
             QPolygonF(QVector<QPointF>{{0, 0}, {500, 0}, {500, 500}, {0, 500}, {0, 0}}));
}

QTEST_MAIN(TestCreateProject)
#include "tst_createproject.moc"
