// New project: the name rule and the default project file.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "createproject.h"
#include "mainwindow.h"
#include "processitem.h"
#include "projectdocument.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "transitionitem.h"
#include "treemodel.h"
#include "xmlio.h"

using Doc = ProjectDocument;

namespace {

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
)"
    + Doc::layout(Doc::state(), 20, {"6", "1", "1", "InitialState", "1", "", "", "200", "400", "280", "150", "#e5e7e9",
                                     "0,0,280,0,280,150,0,150,0,0", "", "", "1", "DefaultTransition"})
    + Doc::layout(Doc::state(), 20, {"6", "1", "1", "SecondaryState", "0", "", "", "1000", "400", "280", "150",
                                     "#e5e7e9", "0,0,280,0,280,150,0,150,0,0", "", "", "1", "DefaultTransition"})
    + R"(                </StateItems>
                <TransitionItems number="1">
)"
    + Doc::layout(Doc::transition(), 20, {"6", "1", "1", "DefaultTransition", "", "#e5e7e9", "650", "650", "", "150",
                                          "75", "0,0,150,0,150,75,0,75,0,0", "InitialState", "SecondaryState", "", ""})
    + R"(                </TransitionItems>
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

    void validateProjectName_data();
    void validateProjectName();
    void nameRule_data();
    void nameRule();
    void existingFileIsReplaced();
    void unwritableFolderAnswersThree();
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
    QVERIFY(writeFile(path, QByteArray(100000, 'x')));
    QCOMPARE(CreateProject::getInstance(nullptr)->processNewProject(path), 1);
    QCOMPARE(readAll(path), expectedDefaultFile("Existing"));
}

void TestCreateProject::unwritableFolderAnswersThree()
{
    // A file where the folder should be: nothing can be created below it.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    QVERIFY(writeFile(blocker, "not a folder"));
    const QString path = blocker + QStringLiteral("/Door.vorn");
    QCOMPARE(CreateProject::getInstance(nullptr)->processNewProject(path), 3);
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
    const QStringList labels = {"Reader", "Hardware Module", "Microcontroller", "Software Module", "StateMachine_1"};
    for (int i = 0; i < 5; ++i) {
        // The Microcontroller alone is drawn as a 500 by 500 square.
        const QString polygon = i == 2 ? "0,0,500,0,500,500,0,500,0,0" : "0,0,300,0,300,250,0,250,0,0";
        QCOMPARE(Doc::fields(io.processItemRecords.at(i)),
                 QStringList({QString::number(i + 1), "1", "1", labels.at(i), "1", "1", "300", "300", "300", "250",
                              "1", "", "", i == 4 ? "#fc0127" : "#fec309", polygon}));
    }
    const QStringList state = {"6", "1", "1", "InitialState", "1", "", "", "200", "400", "280", "150", "#e5e7e9",
                               "0,0,280,0,280,150,0,150,0,0", "", "", "1", "DefaultTransition"};
    QStringList second = state;
    second[3] = QStringLiteral("SecondaryState");
    second[4] = QStringLiteral("0");
    second[7] = QStringLiteral("1000");
    QCOMPARE(Doc::fields(io.stateItemRecords), QList<QStringList>() << state << second);
    QCOMPARE(Doc::fields(io.transitionItemRecords),
             QList<QStringList>() << QStringList({"6", "1", "1", "DefaultTransition", "", "#e5e7e9", "650", "650",
                                                  "150", "75", "0,0,150,0,150,75,0,75,0,0", "InitialState",
                                                  "SecondaryState", "", ""}));
    QCOMPARE(io.textItemRecords.size() + io.linkItemRecords.size() + io.memoryItemRecords.size()
                 + io.dataflowItemRecords.size(), 0);
}

void TestCreateProject::defaultFileLoadsIntoFiveCanvases()
{
    MainWindow window;
    const QString path = dir.filePath(QStringLiteral("Loaded.vorn"));
    QCOMPARE(CreateProject::getInstance(&window)->processNewProject(path), 1);
    window.openFile(path);

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
    // The file's 500 x 500 outline gives way to the 300 x 250 block drawn.
    QCOMPARE(hardware->processItems.first()->myPolygon(),
             QPolygonF(QVector<QPointF>{{0, 0}, {300, 0}, {300, 250}, {0, 250}, {0, 0}}));
}

QTEST_MAIN(TestCreateProject)
#include "tst_createproject.moc"
