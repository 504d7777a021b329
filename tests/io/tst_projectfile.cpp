// The project file: the writer and the save walk (exact layout, round trips,
// saves that fail without harming the previous file), the reader (the
// integrity check's verdicts, what the read pass keeps of damaged items, the
// point lists), and the replay of the fuzzing corpus and of every input that
// ever crashed or hung the reader. Corpus files named "sound-*" must pass the
// integrity check and be read completely; "corrupt-*" must fail the check.
// Every other input only has to come back, with the reader's promises kept.
//
// Every file that loads is then placed and saved as Open and Save do: it
// either names what it could not place ("loss-*" must) or saves to a file
// that loads without loss and saves to itself.

#include <QtTest>

#include <QAction>
#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

#include "canvas.h"
#include "createproject.h"
#include "windowlesscanvases.h"
#include "mainwindow.h"
#include "processitem.h"
#include "document.h"
#include "projectdocument.h"
#include "projectplacement.h"
#include "safesavefile.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "unprivileged.h"
#include "projectfilewriter.h"
#include "xmlio.h"

using Doc = ProjectDocument;
Q_DECLARE_METATYPE(ProjectDocument::Item)

namespace {

QBuffer* device(const QByteArray& bytes)
{
    auto* buffer = new QBuffer;
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

bool check(const QByteArray& bytes)
{
    XmlIO io;
    QScopedPointer<QBuffer> buffer(device(bytes));
    return io.checkProjectFileCorrupt(buffer.data());
}

bool read(XmlIO& io, const QByteArray& bytes)
{
    QScopedPointer<QBuffer> buffer(device(bytes));
    return io.readProjectFile(buffer.data());
}

int recordCount(const XmlIO& io)
{
    return io.processItemRecords.size() + io.linkItemRecords.size() + io.memoryItemRecords.size()
        + io.dataflowItemRecords.size() + io.stateItemRecords.size()
        + io.transitionItemRecords.size() + io.textItemRecords.size();
}

QByteArray document(const QVector<Doc::Item>& items)
{
    Doc doc;
    doc.items = items;
    return doc.toXml();
}

QByteArray soundDocument()
{
    return document(Doc::kinds());
}

// A file where the backups' folder would be made.
QString backupBlocker()
{
    return QFileInfo(SafeSaveFile::backupFolder()).path();
}

QVector<QPoint> rect(int w, int h)
{
    return {QPoint(0, 0), QPoint(w, 0), QPoint(w, h), QPoint(0, h), QPoint(0, 0)};
}


template <typename Record>
int longestPolygon(const QVector<Record>& records)
{
    int longest = 0;
    for (const Record& record : records)
        longest = qMax(longest, record.polygon.size());
    return longest;
}


struct Expectation
{
    QStringList lost;
    QString saveError;             // empty: the save succeeds
    QStringList written;           // texts the saved file holds
};

// What the damaged files of the issue cases must give, exactly.
QHash<QString, Expectation> expectations()
{
    QHash<QString, Expectation> table;
    table.insert(QStringLiteral("loss-orphan-subtree.vorn"),
                 {{QStringLiteral("process \"Software Module\" (level 4, id 1): no diagram (level 3, id 1, "
                                  "parent -1) to place it on"),
                   QStringLiteral("1 item(s) on the diagram \"Software Module\" (level 4), which no process "
                                  "of the project owns"),
                   QStringLiteral("3 item(s) on the diagram \"StateMachine_1\" (level 5), which no process "
                                  "of the project owns")},
                  {},
                  {QStringLiteral("        Microcontroller\r\n</ProjectFiles>")}});
    table.insert(QStringLiteral("loss-shared-diagram.vorn"),
                 {{QStringLiteral("process \"StateMachine_1\" (level 5, id 1): its diagram belongs to another "
                                  "process")},
                  {},
                  {QStringLiteral("<label>SecondaryState</label>")}});
    table.insert(QStringLiteral("loss-no-project-node.vorn"),
                 {{QStringLiteral("process \"Hardware Module\" (level 2, id 1): no diagram (level 1, id 1, "
                                  "parent 1) to place it on"),
                   QStringLiteral("the project node (level 1, id 1) is not the first process of the file")},
                  QStringLiteral("The project's structure is damaged: the first diagram is not the project node."),
                  {}});
    table.insert(QStringLiteral("loss-duplicate-process-names.vorn"),
                 {{QStringLiteral("link \"bus\" from \"SW_A\" to \"SW_B\": its processes are not found"),
                   QStringLiteral("dataflow \"shared\" from \"shared\" to \"SW_B\": its process or memory "
                                  "item is not found")},
                  {},
                  {}});
    table.insert(QStringLiteral("range-huge-numbers.vorn"),
                 {{QStringLiteral("transition \"DefaultTransition\": no state machine (id 1, parent 1) to "
                                  "place it on")},
                  {},
                  {QStringLiteral("xCoord=\"1e+06\" yCoord=\"-1e+06\" width=\"1000000\" height=\"-1000000\"")}});
    // A process listed after the diagram it owns: placed as if in order.
    table.insert(QStringLiteral("sound-child-before-parent.vorn"),
                 {{}, {}, {QStringLiteral("            Push_Button\r\n                Button_Debounce\r\n"),
                           QStringLiteral("label=\"Push_Button\" parentId=\"1\"")}});
    table.insert(QStringLiteral("colour-invalid.vorn"),
                 {{}, {}, {QStringLiteral("<backgroundColour>#e5e7e9</backgroundColour>")}});
    return table;
}

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

class TestProjectFile : public QObject
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
    void verdicts_data();
    void verdicts();
    void everyPrefixOfSoundFileIsCorrupt();
    void stateRecord_data();
    void stateRecord();
    void pointList_data();
    void pointList();
    void replay_data();
    void replay();
    void placeAndResave_data() { replay_data(); }
    void placeAndResave();
    void keepsWhatANewerVersionWrote();

private:
    // Loads a document into the window the way a project is opened.
    bool load(MainWindow& window, const QByteArray& bytes);
    QString path(const QString& name) const { return dir.filePath(name); }
    // Saves under the name and returns what was written.
    QByteArray saveAs(MainWindow& window, const QString& name);

    QTemporaryDir dir;
};

void TestProjectFile::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
    QVERIFY(dir.isValid());
}

bool TestProjectFile::load(MainWindow& window, const QByteArray& bytes)
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

QByteArray TestProjectFile::saveAs(MainWindow& window, const QString& name)
{
    window.projectIO().setFilePath(path(name));
    window.markModified();
    return window.saveDataToFile() ? readAll(path(name)) : QByteArray("<not saved>");
}

void TestProjectFile::newProjectFile_data()
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

void TestProjectFile::newProjectFile()
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

void TestProjectFile::formatReal_data()
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

void TestProjectFile::formatReal()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(ProjectFileWriter::formatReal(value), text);
}

void TestProjectFile::roundTripOfEveryKind()
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

void TestProjectFile::colours_data()
{
    QTest::addColumn<QByteArray>("attribute");
    QTest::addColumn<QByteArray>("child");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("upper case is written lower case") << QByteArray("#AABBCC") << QByteArray("#CCDDEE") << QByteArray();
    // Not black: what cannot be read is written as the default the item is drawn in.
    QTest::newRow("uncoloured") << QByteArray() << QByteArray() << QByteArray("#e5e7e9");
    QTest::newRow("unreadable") << QByteArray("red-ish") << QByteArray("#12345") << QByteArray("#e5e7e9");
}

void TestProjectFile::colours()
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

void TestProjectFile::oddCharactersSurviveOrAreDropped()
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
    StateElement state;
    state.label = QStringLiteral("Bell\x07" "State") + QChar(0xfffe);
    state.action = QStringLiteral("beep\x01(") + QChar(0xd83d) + QStringLiteral(");") + QChar(0xde00);
    state.width = 280;
    state.height = 150;
    QVERIFY(machine->addStateItem(state));
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

void TestProjectFile::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<Breakage>("breakIt");
    QTest::addColumn<bool>("laterSaveWorks"); // once the cause is gone

    // A node numbered out of its place: the tree text no longer finds it.
    QTest::newRow("node numbered out of place") << Breakage([](MainWindow& w, const QString&) {
        w.getCanvases().last()->diagramNode().process.number = 9;
    }) << false;
    // The file has no place for it: the save refuses rather than drop it.
    QTest::newRow("process on a state machine") << Breakage([](MainWindow& w, const QString&) {
        ProcessElement stray;
        stray.label = QStringLiteral("Stray");
        canvas(w, 5)->addProcessItem(stray);
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
    // A file-size limit makes every write past it fail as on a full disk.
    const auto fillDisk = [](rlim_t size) {
        struct rlimit small;
        getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = size;
        setrlimit(RLIMIT_FSIZE, &small);
    };
    QTest::newRow("full disk") << Breakage([fillDisk](MainWindow&, const QString&) { fillDisk(2048); }) << true;
    // The folder takes no temporary file, so the file is written in place
    // behind a backup, which puts the old bytes back. The backup fits; the
    // new text, longer than the old, does not.
    QTest::newRow("read-only folder, full disk") << Breakage([fillDisk](MainWindow&, const QString& folder) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        fillDisk(QFileInfo(folder + QStringLiteral("/Keep.vorn")).size());
    }) << true;
    QTest::newRow("read-only folder, no room for a backup") << Breakage([](MainWindow&, const QString& folder) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        QDir(backupBlocker()).removeRecursively();
        QDir().mkpath(QFileInfo(backupBlocker()).path());
        writeFile(backupBlocker(), "in the way");
    }) << true;
}

void TestProjectFile::failedSaveKeepsOldFile()
{
    QFETCH(Breakage, breakIt);
    QFETCH(bool, laterSaveWorks);
    const bool readOnlyFolder = QByteArray(QTest::currentDataTag()).startsWith("read-only folder");
    QString log;
    if (readOnlyFolder && Unprivileged::isSuperuser())
        QVERIFY2(Unprivileged::rerunCurrentTest(&log), qPrintable(log));
    if (readOnlyFolder && Unprivileged::isSuperuser())
        return;
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
    QFile::remove(backupBlocker());

    QVERIFY(!saved);
    QCOMPARE(readAll(target), everyKindProject());
    QVERIFY(window.projectCanvasesOf().previousFileKept());
    const QString folderName = QDir::toNativeSeparators(folder.path());
    const QHash<QByteArray, QString> errors {
        {"read-only folder, full disk",
         "The file could not be written completely (File too large); its previous version was put back."},
        {"read-only folder, no room for a backup",
         QString("Korvel cannot create files in the folder %1, and could not keep a backup of the file in %2 "
                 "(The folder %2 does not exist.), so the file was not touched. Use Save As to save it in a "
                 "folder you can write.")
             .arg(folderName, QDir::toNativeSeparators(SafeSaveFile::backupFolder()))}};
    if (readOnlyFolder)
        QCOMPARE(window.projectCanvasesOf().saveError(), errors.value(QTest::currentDataTag()));
    // No backup outlives the save.
    QVERIFY(filesIn(SafeSaveFile::backupFolder()).isEmpty());
    QVERIFY(window.actionAt(POS_SAVE)->isEnabled());
    // Nothing left beside it: no temporary or half-written file.
    QCOMPARE(filesIn(folder.path()).filter(QStringLiteral("Keep")), QStringList(QStringLiteral("Keep.vorn")));
    if (laterSaveWorks) {
        QVERIFY(window.saveDataToFile());
        QCOMPARE(asSaved(readAll(target)), asSaved(everyKindProject()));
    }
}

void TestProjectFile::verdicts_data()
{
    // The check's verdict, then whether the read pass succeeds and how many
    // records it keeps (those read before a failure stay).
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<int>("records");

    QTest::newRow("every kind") << soundDocument() << true << true << 7;
    for (const Doc::Item& kind : Doc::kinds()) {
        for (int i = 0; i < kind.fields.size(); ++i) {
            const QString name = kind.fields.at(i).first;
            // A state may end early in the read pass, not in the check.
            const bool trailingOfState = kind.tag == QLatin1String("StateItem") && i >= 13;
            QTest::addRow("%s without %s", qPrintable(kind.tag), qPrintable(name))
                << document({Doc::process(), kind.without(name)}) << false << trailingOfState
                << (trailingOfState ? 2 : 1);
        }
    }
    // Children are read by name, in any order; those of a newer Korvel are
    // passed over; one given twice leaves the item ambiguous.
    QTest::newRow("state label before level") << document({Doc::state().swapped(0, 3)}) << true << true << 1;
    QTest::newRow("state action after description") << document({Doc::state().swapped(13, 14)}) << true << true << 1;
    QTest::newRow("transition ends swapped") << document({Doc::transition().swapped(12, 13)}) << true << true << 1;
    QTest::newRow("text colours swapped") << document({Doc::text().swapped(8, 9)}) << true << true << 1;
    QTest::newRow("state child from a newer version")
        << document({Doc::state().with("zOrder", "3"), Doc::text().swapped(0, 1).with("font", "mono")}) << true
        << true << 2;
    Doc::Item twice = Doc::transition();
    twice.fields.append({QStringLiteral("label"), QStringLiteral("Again")});
    QTest::newRow("transition child twice") << document({twice}) << false << false << 0;
    for (const char* last : {"polygon", "action", "description", "numberOfTI"}) {
        QTest::addRow("state ending after %s", last)
            << document({Doc::state(), Doc::state().truncatedAfter(last), Doc::transition()}) << false << true << 3;
    }
    QTest::newRow("initial flag 2") << document({Doc::state().with("ifInitialState", "2")}) << false << true << 1;
    QTest::newRow("initial flag -1") << document({Doc::state().with("ifInitialState", "-1")}) << true << true << 1;
    QTest::newRow("dataflow without ends")
        << document({Doc::dataflow().with("lineType", "3").without("startItem").without("endItem")}) << false << false
        << 0;
    QTest::newRow("dataflow of line type 7") << document({Doc::dataflow().with("lineType", "7")}) << true << true << 1;
    QTest::newRow("unparsable numbers and colours")
        << document({Doc::process().with("level", "two").with("id", "2147483648").with("xCoord", "inf")
                         .with("width", "12.5").with("backgroundColour", "#GGGGGG"),
                     Doc::state().with("xCoord", "left").with("height", "").with("backgroundColour", "")})
        << true << true << 2;
    QTest::newRow("foreign tags, attributes and containers")
        << document({{QStringLiteral("Comment"), true, {{"text", "ignored"}}},
                     Doc::process().with("extra", "1"),
                     {QStringLiteral("StateItems"), true, {{"number", "garbage"}}},
                     {QStringLiteral("Unknown"), false, {{"level", "9"}}},
                     Doc::memory().with("zOrder", "3")})
        << true << true << 2;
    QByteArray trailing = soundDocument();
    trailing.truncate(trailing.indexOf("</GraphicsItemList>") + int(qstrlen("</GraphicsItemList>")));
    QTest::newRow("junk after the item list") << trailing + "\n<<<not xml" << true << true << 7;

    const QByteArray decl("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    const QByteArray head = decl + "<VornProject>\n    <ProjectFiles>\r\nP\r\n</ProjectFiles>\n    <SceneData version=\"v1.0\">\n";
    const QByteArray items("        <GraphicsItemList>\n        </GraphicsItemList>\n    </SceneData>\n</VornProject>\n");
    QTest::newRow("empty file") << QByteArray() << false << false << 0;
    QTest::newRow("not xml") << QByteArray("just some text\n") << false << false << 0;
    QTest::newRow("only declaration") << decl << false << false << 0;
    QTest::newRow("other root") << QByteArray(head).replace("VornProject", "Project") + items << false << false << 0;
    QTest::newRow("empty tree text") << QByteArray(head).replace("\r\nP\r\n", "") + items << false << false << 0;
    QTest::newRow("no item list") << head + "    </SceneData>\n</VornProject>\n" << false << false << 0;
    QTest::newRow("without formatting")
        << decl + "<VornProject><ProjectFiles>P</ProjectFiles><SceneData version=\"v1.0\"><GraphicsItemList>"
                  "</GraphicsItemList></SceneData></VornProject>"
        << false << false << 0;
    QTest::newRow("mismatched end tag") << head + "        <GraphicsItemList>\n        </SceneData>\n" << false << false << 0;
    QTest::newRow("duplicate attribute") << head + "        <GraphicsItemList>\n            <Foo a=\"1\" a=\"2\"/>\n"
                                         << false << false << 0;
}

void TestProjectFile::verdicts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, sound);
    QFETCH(bool, readable);
    QFETCH(int, records);
    QCOMPARE(check(bytes), sound);
    XmlIO io;
    QCOMPARE(read(io, bytes), readable);
    QCOMPARE(recordCount(io), records);
}

void TestProjectFile::everyPrefixOfSoundFileIsCorrupt()
{
    const QByteArray bytes = soundDocument();
    const int end = bytes.indexOf("</GraphicsItemList>") + int(qstrlen("</GraphicsItemList>"));
    for (int size = 0; size < end; ++size) {
        XmlIO io;
        if (check(bytes.left(size)) || read(io, bytes.left(size)))
            QFAIL(qPrintable(QStringLiteral("prefix of %1 bytes passed").arg(size)));
    }
    QVERIFY(check(bytes.left(end)));
}

void TestProjectFile::stateRecord_data()
{
    // What a state keeps: initial flag, action, description, number and
    // names of transitions (at most as many as numberOfTI says).
    QTest::addColumn<Doc::Item>("item");
    QTest::addColumn<QStringList>("kept");
    const Doc::Item s = Doc::state();
    QTest::newRow("whole") << s << QStringList({"1", "run();", "waits", "2", "Go|Back"});
    QTest::newRow("not initial") << s.with("ifInitialState", "0") << QStringList({"0", "run();", "waits", "2", "Go|Back"});
    QTest::newRow("flag 100") << s.with("ifInitialState", "100") << QStringList({"1", "run();", "waits", "2", "Go|Back"});
    QTest::newRow("flag in words") << s.with("ifInitialState", "yes") << QStringList({"0", "run();", "waits", "2", "Go|Back"});
    QTest::newRow("fewer names kept") << s.with("transitions", "a,b,c") << QStringList({"1", "run();", "waits", "2", "a|b"});
    QTest::newRow("count larger") << s.with("numberOfTI", "5") << QStringList({"1", "run();", "waits", "5", "Go|Back"});
    QTest::newRow("negative count") << s.with("numberOfTI", "-2") << QStringList({"1", "run();", "waits", "-2", ""});
    QTest::newRow("count in words") << s.with("numberOfTI", "many") << QStringList({"1", "run();", "waits", "0", ""});
    QTest::newRow("empty name kept") << s.with("numberOfTI", "3").with("transitions", "a,,c")
                                     << QStringList({"1", "run();", "waits", "3", "a||c"});
    QTest::newRow("ends after polygon") << s.truncatedAfter("polygon") << QStringList({"1", "", "", "0", ""});
    QTest::newRow("ends after description") << s.truncatedAfter("description")
                                            << QStringList({"1", "run();", "waits", "0", ""});
    QTest::newRow("action after description") << s.swapped(13, 14)
                                              << QStringList({"1", "run();", "waits", "2", "Go|Back"});
    QTest::newRow("description without action") << s.truncatedAfter("description").without("action")
                                                 << QStringList({"1", "", "", "0", ""});
}

void TestProjectFile::stateRecord()
{
    QFETCH(Doc::Item, item);
    QFETCH(QStringList, kept);
    // A full state first: nothing of it may leak into the one under test.
    XmlIO io;
    read(io, document({Doc::state().with("label", "Full").with("numberOfTI", "1").with("transitions", "X"), item}));
    QCOMPARE(io.stateItemRecords.size(), 2);
    const t_stateItemReadFromXML& r = io.stateItemRecords.at(1);
    QCOMPARE(QStringList({QString::number(r.ifInitialState), r.action, r.description, QString::number(r.numberOfTI),
                          r.transitions.join('|')}),
             kept);
    QCOMPARE(r.polygon, rect(280, 150));
}

void TestProjectFile::pointList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<QPoint>>("points");
    QTest::newRow("closed rectangle") << "0,0,280,0,280,150,0,150,0,0" << rect(280, 150);
    QTest::newRow("six points keep five") << "0,0,9,0,9,9,0,9,0,0,77,77" << rect(9, 9);
    QTest::newRow("fraction is cut, negative kept") << "12.5,-3,4,7.25" << QVector<QPoint>{{12, -3}, {4, 7}};
    QTest::newRow("exponent") << "1e+06,5" << QVector<QPoint>{{1000000, 5}};
    QTest::newRow("out of range is clamped") << "2147483648,-3e9,1e300,inf"
                                             << QVector<QPoint>{{1000000, -1000000}, {1000000, 0}};
    QTest::newRow("words read as zero") << "a,b" << QVector<QPoint>{{0, 0}};
    QTest::newRow("empty") << "" << QVector<QPoint>{};
    QTest::newRow("single number") << "5" << QVector<QPoint>{};
    QTest::newRow("odd count drops lone x") << "1,2,3" << QVector<QPoint>{{1, 2}};
    QTest::newRow("only commas") << ",,,," << QVector<QPoint>{{0, 0}, {0, 0}};
    QTest::newRow("x then comma") << "7," << QVector<QPoint>{{7, 0}};
    QTest::newRow("megabyte number") << QString(1 << 20, QLatin1Char('7')) << QVector<QPoint>{};
    QTest::newRow("many pairs") << QStringLiteral("1,2,").repeated(100000) << QVector<QPoint>(5, QPoint(1, 2));
}

void TestProjectFile::pointList()
{
    QFETCH(QString, text);
    QFETCH(QVector<QPoint>, points);
    QCOMPARE(XmlIO::parsePointList(text), points);
}

void TestProjectFile::replay_data()
{
    QTest::addColumn<QString>("path");
    const QString root = QStringLiteral(KORVEL_SOURCE_DIR "/tests/fuzz");
    int count = 0;
    for (const QString& folder : {QStringLiteral("corpus"), QStringLiteral("regressions")}) {
        QDirIterator it(root + QLatin1Char('/') + folder, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        QStringList paths;
        while (it.hasNext())
            paths << it.next();
        paths.sort();
        for (const QString& path : qAsConst(paths)) {
            QTest::newRow(qPrintable(folder + QLatin1Char('/') + QFileInfo(path).fileName())) << path;
            ++count;
        }
    }
    QVERIFY2(count >= 10, "the fuzzing corpus is missing");
}

void TestProjectFile::replay()
{
    QFETCH(QString, path);
    const QString name = QFileInfo(path).fileName();

    XmlIO io;
    io.setFilePath(path);
    const bool sound = io.checkProjectFileCorrupt();
    QString names = QStringLiteral("unchanged");
    const bool namesRead = io.readProjectFileNames(&names);
    const bool read = io.readProjectFile();

    if (!namesRead)
        QCOMPARE(names, QStringLiteral("unchanged"));
    QVERIFY(longestPolygon(io.processItemRecords) <= 5);
    QVERIFY(longestPolygon(io.linkItemRecords) <= 5);
    QVERIFY(longestPolygon(io.memoryItemRecords) <= 5);
    QVERIFY(longestPolygon(io.dataflowItemRecords) <= 5);
    QVERIFY(longestPolygon(io.stateItemRecords) <= 5);
    QVERIFY(longestPolygon(io.transitionItemRecords) <= 5);
    QVERIFY(longestPolygon(io.textItemRecords) <= 5);

    if (name.startsWith(QLatin1String("sound-"))) {
        QVERIFY(sound);
        QVERIFY(namesRead);
        QVERIFY(read);
        QVERIFY(!io.processItemRecords.isEmpty());
    } else if (name.startsWith(QLatin1String("corrupt-"))) {
        QVERIFY(!sound);
    }
}

void TestProjectFile::placeAndResave()
{
    QFETCH(QString, path);
    const QString name = QFileInfo(path).fileName();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("first.vorn"));
    const QString second = dir.filePath(QStringLiteral("second.vorn"));

    WindowlessCanvases project;
    if (project.load(path) != WindowlessCanvases::Loaded) {
        QVERIFY(!name.startsWith(QLatin1String("sound-")));
        return;
    }
    const QStringList lost = project.canvases().lostItems();
    if (name.startsWith(QLatin1String("sound-")))
        QCOMPARE(lost, QStringList());
    if (name.startsWith(QLatin1String("loss-")))
        QVERIFY(!lost.isEmpty());
    for (const QString& line : lost)
        QVERIFY2(!line.trimmed().isEmpty(), qPrintable(name));

    const bool saved = project.saveAs(first);
    // Without any canvas, the placement and the document it fills say and
    // write the same.
    XmlIO io;
    io.setFilePath(path);
    QVERIFY(io.checkProjectFileCorrupt() && io.readProjectFile());
    const ProjectPlacement placement(io.records());
    QCOMPARE(placement.lost(), lost);
    // Nor does a check, which keeps only keys of states and transitions.
    XmlIO keys;
    keys.setFilePath(path);
    keys.setFieldsNeeded(ProjectFileReader::Fields::Placement);
    QVERIFY(keys.checkProjectFileCorrupt() && keys.readProjectFile());
    QVERIFY(keys.stateItemRecords.isEmpty() && keys.transitionItemRecords.isEmpty());
    QCOMPARE(ProjectPlacement(keys.records()).lost(), lost);
    PlacementKeys more;
    more.addTransition(6, 1, 1, u"Later", QString(), QString());
    PlacementKeys both = keys.records().keys;
    both.append(more);
    QCOMPARE(both.transitionLabel(both.transitions().size() - 1), QStringLiteral("Later"));
    for (int i = 0; i + 1 < both.transitions().size(); ++i)
        QCOMPARE(both.transitionLabel(i), keys.records().keys.transitionLabel(i));
    Document document;
    QString why;
    ProjectFileWriter writer;
    const QString third = dir.filePath(QStringLiteral("third.vorn"));
    QCOMPARE(placement.fill(&document, &why) && writer.write(document, third), saved);
    QCOMPARE(why, saved ? QString() : project.canvases().saveError());
    if (saved)
        QCOMPARE(readAll(third), readAll(first));

    const Expectation expected = expectations().value(name);
    if (expectations().contains(name)) {
        QCOMPARE(lost, expected.lost);
        QCOMPARE(project.canvases().saveError(), expected.saveError);
    }
    if (!saved) {
        // A refused save says why and writes nothing.
        QVERIFY(!project.canvases().saveError().isEmpty());
        QVERIFY(!QFileInfo::exists(first));
        return;
    }
    const QString text = QString::fromUtf8(readAll(first));
    for (const QString& part : expected.written)
        QVERIFY2(text.contains(part), qPrintable(part));

    // What was saved is what the project held: it loads whole and saves to itself.
    WindowlessCanvases reloaded;
    QCOMPARE(reloaded.load(first), WindowlessCanvases::Loaded);
    QCOMPARE(reloaded.canvases().lostItems(), QStringList());
    QVERIFY2(reloaded.saveAs(second), qPrintable(reloaded.canvases().saveError()));
    QCOMPARE(readAll(second), readAll(first));
}

void TestProjectFile::keepsWhatANewerVersionWrote()
{
    // An attribute and a nested element this version does not know, in a
    // state whose children come in another order.
    QByteArray bytes = everyKindProject().replace("<Memory ", "<Memory zOrder=\"3\" ");
    const int state = bytes.indexOf("<StateItem>");
    const int label = bytes.indexOf("<label>", state);
    const QByteArray labelLine = bytes.mid(label, bytes.indexOf('\n', label) - label + 1);
    bytes.remove(label, labelLine.size());
    bytes.insert(state + int(qstrlen("<StateItem>")),
                 "\n<future kind=\"x\"><part>1</part><part>2 &amp; 3</part></future>" + labelLine);

    MainWindow window;
    QVERIFY(load(window, bytes));
    const QByteArray saved = saveAs(window, QStringLiteral("Newer.vorn"));
    const QString text = QString::fromUtf8(saved);
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("<Memory [^>]* polygon=\"[^\"]*\" zOrder=\"3\"/>"))),
             saved.constData());
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral(
                 "</transitions>\\s*<future kind=\"x\">\\s*<part>1</part>\\s*<part>2 &amp; 3</part>\\s*</future>"
                 "\\s*</StateItem>"))),
             saved.constData());

    // The command-line tool's path writes the same; a second save changes nothing.
    XmlIO io;
    QVERIFY(check(bytes) && read(io, bytes));
    Document document;
    QString why;
    QVERIFY(ProjectPlacement(io.records()).fill(&document, &why));
    QVERIFY(ProjectFileWriter().write(document, path(QStringLiteral("Newer-cli.vorn"))));
    QCOMPARE(readAll(path(QStringLiteral("Newer-cli.vorn"))), saved);
    MainWindow again;
    QVERIFY(load(again, saved));
    QCOMPARE(saveAs(again, QStringLiteral("Again.vorn")), saved);
}

QTEST_MAIN(TestProjectFile)
#include "tst_projectfile.moc"
