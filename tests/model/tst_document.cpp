#include <QTest>

#include "document.h"
#include "idindex.h"
#include "nameindex.h"

// What the observers of a document hear as its diagrams change, and what
// the document then holds.
class TestDocument : public QObject, private DocumentObserver
{
    Q_OBJECT

private slots:
    void editsTellTheObserversAfterTheChange();
    void largeListsAreLookedUpByIdThroughEveryEdit();
    void indexesFindEveryNameAndIdTheyWereGiven();

private:
    void elementAdded(const ProjectNode& node, ElementKind kind, ElementId id, int index) override
    {
        heard << QStringLiteral("added %1 %2 at %3 of %4").arg(name(kind)).arg(id).arg(index).arg(count(node, kind));
    }
    void elementChanged(const ProjectNode& node, ElementKind kind, ElementId id, int index) override
    {
        heard << QStringLiteral("changed %1 %2 at %3 of %4").arg(name(kind)).arg(id).arg(index).arg(count(node, kind));
    }
    void elementRemoved(const ProjectNode& node, ElementKind kind, ElementId id, int index) override
    {
        heard << QStringLiteral("removed %1 %2 from %3, %4 left").arg(name(kind)).arg(id).arg(index).arg(count(node, kind));
    }
    void nodeAdded(const ProjectNode& parent, int index) override
    {
        heard << QStringLiteral("added node %1 at %2 of %3").arg(parent.children().at(index)->id()).arg(index)
                     .arg(parent.children().size());
    }
    void nodeRemoved(const ProjectNode& parent, const ProjectNode& node, int index) override
    {
        heard << QStringLiteral("removed node %1 with %2 below from %3, %4 left").arg(node.id())
                     .arg(node.children().size()).arg(index).arg(parent.children().size());
    }
    void processChanged(const ProjectNode& node) override
    {
        heard << QStringLiteral("changed process %1 of node %2").arg(node.process.label).arg(node.id());
    }
    static QString name(ElementKind kind) { return kind == ElementKind::Text ? "text" : "state"; }
    static int count(const ProjectNode& node, ElementKind kind)
    {
        return kind == ElementKind::Text ? node.diagram.texts.size() : node.diagram.states.size();
    }

    QStringList heard;
};

void TestDocument::editsTellTheObserversAfterTheChange()
{
    Document document;
    document.addObserver(this);
    ProjectNode& machine = *document.root().appendChild(document.newId());
    const auto text = [](ElementId id, const QString& code) {
        TextElement element;
        element.id = id;
        element.text = code;
        return element;
    };
    document.insert(machine, -1, text(7, "a"));
    document.insert(machine, 0, text(8, "b"));
    document.insert(machine, 9, text(9, "c"));
    QVERIFY(document.replace(machine, text(7, "A")));
    QVERIFY(!document.replace(machine, text(6, "none")));
    StateElement state;
    state.id = 7;
    document.insert(machine, -1, state);
    QVERIFY(document.remove<TextElement>(machine, 8));
    QVERIFY(!document.remove<TextElement>(machine, 8));
    QVERIFY(!document.remove<TextElement>(document.root(), 7));
    // Several at once: the last place told first; back, the first first.
    document.insert(machine, -1, text(10, "d"));
    const Document::Placed<TextElement> taken = document.takeMany<TextElement>(machine, {10, 5, 7});
    document.putBack<TextElement>(machine, taken);

    QCOMPARE(heard, QStringList({"added text 7 at 0 of 1", "added text 8 at 0 of 2", "added text 9 at 2 of 3",
                                 "changed text 7 at 1 of 3", "added state 7 at 0 of 1", "removed text 8 from 0, 2 left",
                                 "added text 10 at 2 of 3", "removed text 10 from 2, 1 left",
                                 "removed text 7 from 0, 1 left", "added text 7 at 0 of 3",
                                 "added text 10 at 2 of 3"}));
    QCOMPARE(taken.size(), 2);
    QCOMPARE(taken.at(1).first, 2);
    QCOMPARE(document.indexOf<TextElement>(machine, 9), 1);
    QCOMPARE(document.find<TextElement>(machine, 7)->text, QString("A"));
    QVERIFY(!document.find<TextElement>(machine, 8));
    QCOMPARE(document.find<StateElement>(machine, 7)->id, ElementId(7));

    // Nodes come and go whole, with their ids, numbered by their places.
    heard.clear();
    auto pump = std::make_unique<ProjectNode>(21, nullptr);
    pump->appendChild(22)->process.number = 4;
    ProjectNode* added = document.insertNode(document.root(), 0, std::move(pump));
    ProcessElement process;
    process.label = QStringLiteral("Pump");
    document.replaceProcess(*added, process);
    std::unique_ptr<ProjectNode> taken21 = document.takeNode(document.root(), 0);
    QCOMPARE(taken21->parent(), nullptr);
    QCOMPARE(taken21->children().front()->level(), 2);
    document.insertNode(document.root(), 5, std::move(taken21));
    QCOMPARE(heard, QStringList({"added node 21 at 0 of 2", "changed process Pump of node 21",
                                 "removed node 21 with 1 below from 0, 1 left", "added node 21 at 1 of 2"}));
    const ProjectNode& below = *added->children().front();
    QCOMPARE(QVector<int>({below.level(), below.fileId(), below.fileParentId(), below.fileGrandParentId()}),
             QVector<int>({3, 4, 1, 1}));
    document.root().renumberChildren();
    QCOMPARE(QVector<int>({added->fileId(), added->process.countNumber, below.fileId(), below.fileParentId()}),
             QVector<int>({2, 2, 1, 2}));
    QCOMPARE(document.root().child(21), added);

    // An observer that leaves while it is told costs the others nothing.
    struct Leaver : DocumentObserver
    {
        Document* document = nullptr;
        int told = 0;
        void nodeAdded(const ProjectNode&, int) override
        {
            ++told;
            document->removeObserver(this);
        }
    } leaver;
    leaver.document = &document;
    document.removeObserver(this);
    document.addObserver(&leaver);
    document.addObserver(this);
    heard.clear();
    document.insertNode(document.root(), -1, std::make_unique<ProjectNode>(31, nullptr));
    document.insertNode(document.root(), -1, std::make_unique<ProjectNode>(32, nullptr));
    QCOMPARE(leaver.told, 1);
    QCOMPARE(heard, QStringList({"added node 31 at 2 of 3", "added node 32 at 3 of 4"}));

    // Once it is gone, an observer hears nothing more.
    document.removeObserver(this);
    heard.clear();
    document.insert(machine, -1, text(10, "d"));
    QVERIFY(heard.isEmpty());
    QCOMPARE(machine.diagram.texts.size(), 4);
}

// A machine of thousands of states is looked up by id; every edit that
// moves the others must leave each lookup right.
void TestDocument::largeListsAreLookedUpByIdThroughEveryEdit()
{
    Document document;
    ProjectNode& machine = *document.root().appendChild(document.newId());
    QVector<ElementId> order;
    const auto state = [](ElementId id) {
        StateElement element;
        element.id = id;
        return SharedElement<StateElement>(element);
    };
    for (ElementId id = 1; id <= 200; ++id) {
        document.insert(machine, -1, state(id));
        order.append(id);
    }
    const auto check = [&] {
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(document.indexOf<StateElement>(machine, order.at(i)), i);
        QCOMPARE(document.indexOf<StateElement>(machine, 999), -1);
    };
    check();
    document.insert(machine, 3, state(500));
    order.insert(3, 500);
    check();
    QVERIFY(document.remove<StateElement>(machine, 1));
    order.removeOne(1);
    document.insert(machine, -1, state(501));
    order.append(501);
    check();
    const Document::Placed<StateElement> taken = document.takeMany<StateElement>(machine, {500, 100, 501, 7});
    for (ElementId id : {500, 100, 501, 7})
        order.removeOne(id);
    check();
    document.putBack<StateElement>(machine, taken);
    order = {};
    for (const SharedElement<StateElement>& element : machine.diagram.states)
        order.append(element->id);
    QCOMPARE(order.mid(0, 5), QVector<ElementId>({2, 3, 500, 4, 5}));
    QCOMPARE(order.last(), ElementId(501));
    check();
    // Shared, not copied, on the way out and back.
    QCOMPARE(&document.at<StateElement>(machine, taken.first().first).get(), &taken.first().second.get());
}

void TestDocument::indexesFindEveryNameAndIdTheyWereGiven()
{
    // Sized for nothing, so that the names outgrow the table many times.
    NameIndex names;
    for (int i = 0; i < 3000; ++i)
        QCOMPARE(names.insertNew(QStringLiteral("s%1").arg(i), i), -1);
    QCOMPARE(names.insertNew(QStringLiteral("s42"), 7), 42);
    QCOMPARE(names.value(QStringLiteral("s42")), 42);
    QCOMPARE(names.insert(QStringLiteral("s42"), 7), 42);
    QCOMPARE(names.insert(QString(), 5), -1);
    for (int i = 0; i < 3000; ++i)
        QCOMPARE(names.value(QStringLiteral("s%1").arg(i)), i == 42 ? 7 : i);
    QCOMPARE(names.value(QString()), 5);
    QCOMPARE(names.value(QStringLiteral("s3000")), -1);

    // Ids out of order, as after edits.
    QVector<TextElement> texts(500);
    for (int i = 0; i < texts.size(); ++i)
        texts[i].id = ElementId((i * 7919) % 500 + 1);
    const IdIndex places = IdIndex::of<TextElement>(texts);
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(places.place(texts.at(i).id), i);
    QCOMPARE(places.place(0), -1);
    QCOMPARE(places.place(501), -1);
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
