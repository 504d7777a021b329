// The project writer and the save walk: exact layout, round trips, and saves
// that fail without harming the previous file.

#include <QtTest>

#include <QFile>
#include <QTemporaryDir>

#include <QAction>
#include <QRegularExpression>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

#include "canvas.h"
#include "createproject.h"
#include "mainwindow.h"
#include "processitem.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "xmlio.h"

namespace {

// Sound files of the fuzzing corpus, as a save writes them: one with every
// item kind on every level, odd values included, and the new project file
// of "Door_Ctrl2".
const QString corpus = QStringLiteral(KORVEL_SOURCE_DIR "/tests/fuzz/corpus/");

QByteArray everyKindProject()
{
    return readAll(corpus + QStringLiteral("sound-everykind.vorn"));
}

QByteArray newProject(const QByteArray& name)
{
    return readAll(corpus + QStringLiteral("sound-newproject.vorn")).replace("Door_Ctrl2", name);
}

// What a save writes for a file, but for the mid positions, which are the
// transitions' own business and not kept by the reader. The every-kind file
// gives the microcontroller an outline that disagrees with its size; the
// size wins.
QByteArray asSaved(QByteArray bytes)
{
    static const QRegularExpression mid(QStringLiteral("<midPos>[^<]*</midPos>"));
    bytes.replace("0,0,500,0,500,500,0,500,0,0", "0,0,300,0,300,250,0,250,0,0");
    return QString::fromUtf8(bytes).replace(mid, QStringLiteral("<midPos/>")).toUtf8();
}

using Breakage = std::function<void(MainWindow&, const QString& folder)>;

Canvas* canvas(MainWindow& window, int level)
{
    bool found = false;
    Canvas* canvas = window.getCanvasItem(level, 1, 1, &found);
    return found ? canvas : nullptr;
}

} // namespace

Q_DECLARE_METATYPE(Breakage)

class TestProjectSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void formatReal_data();
    void formatReal();
    void roundTripOfEveryKind();
    void colours_data();
    void colours();
    void oddCharactersSurviveOrAreDropped();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void newProjectFile_data();
    void newProjectFile();

private:
    // Loads a document into the window the way a project is opened.
    bool load(MainWindow& window, const QByteArray& bytes);
    QString path(const QString& name) const { return dir.filePath(name); }
    // Saves under the name and returns what was written.
    QByteArray saveAs(MainWindow& window, const QString& name);

    QTemporaryDir dir;
};

void TestProjectSave::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
    QVERIFY(dir.isValid());
}

bool TestProjectSave::load(MainWindow& window, const QByteArray& bytes)
{
    static int counter = 0;
    const QString source = path(QStringLiteral("source-%1.vorn").arg(++counter));
    if (!writeFile(source, bytes))
        return false;
    // Checked first so that a corrupt file fails here instead of in a box.
    XmlIO check;
    check.setFilePath(source);
    if (!check.checkProjectFileCorrupt())
        return false;
    window.openFile(source);
    return window.projectIO().getFilePath() == source && !window.getCanvases().isEmpty();
}

QByteArray TestProjectSave::saveAs(MainWindow& window, const QString& name)
{
    window.projectIO().setFilePath(path(name));
    window.markModified();
    return window.saveDataToFile() ? readAll(path(name)) : QByteArray("<not saved>");
}

void TestProjectSave::newProjectFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("result"); // 1 written, 2 bad name, 3 cannot write
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "Door_Ctrl2.vorn" << 1 << "Door_Ctrl2";
    QTest::newRow("extension added") << "_" << 1 << "_";
    QTest::newRow("existing file replaced") << "Existing.vorn" << 1 << "Existing";
    QTest::newRow("blank") << "Door Ctrl.vorn" << 2 << "";
    QTest::newRow("hyphen") << "Door-Ctrl.vorn" << 2 << "";
    QTest::newRow("umlaut") << QString::fromUtf8("T\xc3\xbcr.vorn") << 2 << "";
    QTest::newRow("full-width digit") << QString::fromUtf8("A\xef\xbc\x91.vorn") << 2 << "";
    QTest::newRow("nothing before extension") << ".vorn" << 2 << "";
    QTest::newRow("other extension") << "Door.txt" << 2 << "";
    QTest::newRow("upper-case extension") << "Door.VORN" << 2 << "";
    QTest::newRow("two extensions") << "Door.vorn.vorn" << 2 << "";
    QTest::newRow("file where the folder should be") << "plain/Door.vorn" << 3 << "";
}

void TestProjectSave::newProjectFile()
{
    QFETCH(QString, fileName);
    QFETCH(int, result);
    QFETCH(QString, written);
    QTemporaryDir folder(path(QStringLiteral("new-XXXXXX")));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("plain")), "x"));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("Existing.vorn")), QByteArray(100000, 'x')));
    const QStringList before = filesIn(folder.path());
    CreateProject* create = CreateProject::getInstance(nullptr);
    QCOMPARE(create->processNewProject(folder.filePath(fileName)), result);
    if (result != 1) {
        QCOMPARE(filesIn(folder.path()), before);
        return;
    }
    QCOMPARE(create->getProjectFilePath(), folder.filePath(written + QStringLiteral(".vorn")));
    QCOMPARE(readAll(create->getProjectFilePath()).split('\n'), newProject(written.toUtf8()).split('\n'));
}

void TestProjectSave::formatReal_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("integral") << 300.0 << "300";
    QTest::newRow("negative half") << -12.5 << "-12.5";
    QTest::newRow("six digits") << 1234.5678 << "1234.57";
    QTest::newRow("rounded up") << 123456.7 << "123457";
    QTest::newRow("million") << 1e6 << "1e+06";
    QTest::newRow("big") << 1234567.0 << "1.23457e+06";
    QTest::newRow("tiny") << 0.00001234 << "1.234e-05";
    QTest::newRow("binary noise") << 0.1 + 0.2 << "0.3";
}

void TestProjectSave::formatReal()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(XmlIO::formatReal(value), text);
}

void TestProjectSave::roundTripOfEveryKind()
{
    MainWindow window;
    QVERIFY(load(window, everyKindProject()));
    QCOMPARE(window.getCanvases().size(), 7);
    const QByteArray saved = saveAs(window, QStringLiteral("EveryKind.vorn"));
    QVERIFY(!window.actionAt(POS_SAVE)->isEnabled());
    // Line by line, so that a failure names the line.
    QCOMPARE(asSaved(saved).split('\n'), asSaved(everyKindProject()).split('\n'));
    static const QRegularExpression mid(QStringLiteral("<midPos>(-?[0-9.e+]+),(-?[0-9.e+]+)</midPos>"));
    QCOMPARE(QString::fromUtf8(saved).count(mid), 4);

    // A second round gives the same bytes, mid positions included.
    MainWindow again;
    QVERIFY(load(again, saved));
    QCOMPARE(saveAs(again, QStringLiteral("EveryKind2.vorn")), saved);
}

void TestProjectSave::colours_data()
{
    QTest::addColumn<QByteArray>("attribute");
    QTest::addColumn<QByteArray>("child");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("upper case is written lower case") << QByteArray("#AABBCC") << QByteArray("#CCDDEE") << QByteArray();
    // Not black: what cannot be read is written as the default the item is drawn in.
    QTest::newRow("uncoloured") << QByteArray() << QByteArray() << QByteArray("#e5e7e9");
    QTest::newRow("unreadable") << QByteArray("red-ish") << QByteArray("#12345") << QByteArray("#e5e7e9");
}

void TestProjectSave::colours()
{
    QFETCH(QByteArray, attribute);
    QFETCH(QByteArray, child);
    QFETCH(QByteArray, written);
    QByteArray project = everyKindProject();
    project.replace("backgroundColour=\"#aabbcc\"", "backgroundColour=\"" + attribute + '"');
    project.replace("<backgroundColour>#ccddee<", "<backgroundColour>" + child + '<');
    QByteArray expected = everyKindProject();
    if (!written.isEmpty())
        expected.replace("#aabbcc", written).replace("#ccddee", written);
    MainWindow window;
    QVERIFY(load(window, project));
    QCOMPARE(asSaved(saveAs(window, QStringLiteral("Colours.vorn"))), asSaved(expected));
}

void TestProjectSave::oddCharactersSurviveOrAreDropped()
{
    const QString odd = QString::fromUtf8("Z\xc3\xa4hler \xe2\x9c\x93 \xf0\x9f\x98\x80 <&>\"'\t\n");
    QByteArray project = everyKindProject();
    const QByteArray escaped = odd.toHtmlEscaped().replace("\t", "&#9;").replace("\n", "&#10;").toUtf8();
    project.replace("<action>run();</action>", "<action>" + escaped + "</action>");
    project.replace("description=\"writes\"", "description=\"" + escaped + "\"");

    MainWindow window;
    QVERIFY(load(window, project));
    Canvas* machine = canvas(window, 5);
    QCOMPARE(machine->stateItems.first()->getAction(), odd);
    // Characters XML cannot carry come in through the items' editors.
    t_stateItemReadFromXML record;
    record.level = 6;
    record.parentId = 1;
    record.grandParentId = 1;
    record.label = QStringLiteral("Bell\x07" "State") + QChar(0xfffe);
    record.action = QStringLiteral("beep\x01(") + QChar(0xd83d) + QStringLiteral(");") + QChar(0xde00);
    record.width = 280;
    record.height = 150;
    QVERIFY(machine->addStateItem(&record));
    saveAs(window, QStringLiteral("Odd.vorn"));

    XmlIO io;
    io.setFilePath(path(QStringLiteral("Odd.vorn")));
    QVERIFY(io.checkProjectFileCorrupt());
    QVERIFY(io.readProjectFile());
    QCOMPARE(io.stateItemRecords.size(), 4);
    QCOMPARE(io.stateItemRecords.at(0).action, odd);
    QCOMPARE(io.stateItemRecords.at(2).label, QStringLiteral("BellState"));
    QCOMPARE(io.stateItemRecords.at(2).action, QStringLiteral("beep();"));
    QCOMPARE(io.dataflowItemRecords.at(1).description, odd);
}

void TestProjectSave::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<Breakage>("breakIt");
    QTest::addColumn<bool>("laterSaveWorks"); // once the cause is gone

    QTest::newRow("canvas missing from the tree") << Breakage([](MainWindow& w, const QString&) {
        w.getCanvases().last()->setId(9);
    }) << false;
    // The tree text still finds every canvas by position; the walk, going by
    // the process's own identity, stops after writing most of the project.
    QTest::newRow("canvas missing in the walk") << Breakage([](MainWindow& w, const QString&) {
        canvas(w, 3)->processItems.at(1)->setId(7);
    }) << false;
    // The file has no place for it: the save refuses rather than drop it.
    QTest::newRow("process on a state machine") << Breakage([](MainWindow& w, const QString&) {
        t_processItemReadFromXML record;
        record.level = 6;
        record.label = QStringLiteral("Stray");
        canvas(w, 5)->addProcessItem(&record);
    }) << false;
    // A later canvas with the identity of the second module is never found.
    QTest::newRow("canvas shadowing another") << Breakage([](MainWindow& w, const QString&) {
        t_strReadProcessItem shadow;
        shadow.level = 4;
        shadow.id = 2;
        shadow.label = QStringLiteral("Shadow");
        w.createCanvasElement(&shadow);
    }) << false;
    QTest::newRow("file where a folder should be") << Breakage([](MainWindow& w, const QString& folder) {
        writeFile(folder + QStringLiteral("/plain"), "x");
        w.projectIO().setFilePath(folder + QStringLiteral("/plain/P.vorn"));
    }) << false;
    QTest::newRow("no such folder") << Breakage([](MainWindow& w, const QString& folder) {
        w.projectIO().setFilePath(folder + QStringLiteral("/no/such/P.vorn"));
    }) << false;
    QTest::newRow("no file name") << Breakage([](MainWindow& w, const QString&) {
        w.projectIO().setFilePath(QString());
    }) << false;
    QTest::newRow("read-only folder") << Breakage([](MainWindow&, const QString& folder) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    }) << true;
    // A file-size limit makes every write past it fail as on a full disk.
    QTest::newRow("full disk") << Breakage([](MainWindow&, const QString&) {
        struct rlimit small;
        getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 2048;
        setrlimit(RLIMIT_FSIZE, &small);
    }) << true;
}

void TestProjectSave::failedSaveKeepsOldFile()
{
    QFETCH(Breakage, breakIt);
    QFETCH(bool, laterSaveWorks);
    if (geteuid() == 0 && QByteArray(QTest::currentDataTag()) == "read-only folder")
        QSKIP("permissions do not bind the superuser");
    QTemporaryDir folder(path(QStringLiteral("keep-XXXXXX")));
    const QString target = folder.filePath(QStringLiteral("Keep.vorn"));
    MainWindow window;
    QVERIFY(writeFile(target, everyKindProject()) && load(window, everyKindProject()));
    window.projectIO().setFilePath(target);
    window.markModified();

    struct rlimit limit;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    breakIt(window, folder.path());
    const bool saved = window.saveDataToFile();
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(!saved);
    QCOMPARE(readAll(target), everyKindProject());
    QVERIFY(window.actionAt(POS_SAVE)->isEnabled());
    // Nothing left beside it: no temporary or half-written file.
    QCOMPARE(filesIn(folder.path()).filter(QStringLiteral("Keep")), QStringList(QStringLiteral("Keep.vorn")));
    if (laterSaveWorks) {
        QVERIFY(window.saveDataToFile());
        QCOMPARE(asSaved(readAll(target)), asSaved(everyKindProject()));
    }
}

QTEST_MAIN(TestProjectSave)
#include "tst_projectsave.moc"
