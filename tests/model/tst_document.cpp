#include <QTest>

#include "document.h"

// What the observers of a document hear as its diagrams change, and what
// the document then holds.
class TestDocument : public QObject, private DocumentObserver
{
    Q_OBJECT

private slots:
    void editsTellTheObserversAfterTheChange();

private:
    void elementAdded(const ProjectNode& node, ElementKind kind, ElementId id, int index) override
    {
        heard << QStringLiteral("added %1 %2 at %3 of %4").arg(name(kind)).arg(id).arg(index).arg(count(node, kind));
    }
    void elementChanged(const ProjectNode& node, ElementKind kind, ElementId id) override
    {
        heard << QStringLiteral("changed %1 %2 of %3").arg(name(kind)).arg(id).arg(count(node, kind));
    }
    void elementRemoved(const ProjectNode& node, ElementKind kind, ElementId id) override
    {
        heard << QStringLiteral("removed %1 %2 of %3").arg(name(kind)).arg(id).arg(count(node, kind));
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

    QCOMPARE(heard, QStringList({"added text 7 at 0 of 1", "added text 8 at 0 of 2", "added text 9 at 2 of 3",
                                 "changed text 7 of 3", "added state 7 at 0 of 1", "removed text 8 of 2"}));
    QCOMPARE(document.indexOf<TextElement>(machine, 9), 1);
    QCOMPARE(document.find<TextElement>(machine, 7)->text, QString("A"));
    QVERIFY(!document.find<TextElement>(machine, 8));
    QCOMPARE(document.find<StateElement>(machine, 7)->id, ElementId(7));

    // Once it is gone, an observer hears nothing more.
    document.removeObserver(this);
    heard.clear();
    document.insert(machine, -1, text(10, "d"));
    QVERIFY(heard.isEmpty());
    QCOMPARE(machine.diagram.texts.size(), 3);
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
