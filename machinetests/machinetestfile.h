#ifndef MACHINETESTFILE_H
#define MACHINETESTFILE_H

#include <QString>
#include <QVector>

// A file of state-machine tests, plain text, one step a line; "#" starts a
// comment:
//
//   machine NAME                    the machine of the following cases
//   test NAME                       a case, from a freshly initialised machine
//   set VAR = EXPR                  a memory item, before the next tick (C)
//   tick [N]                        N ticks, 1 when not given
//   expect state NAME               the state now
//   expect EXPR                     a C expression over the memory items
//   until state NAME within N       ticks until in NAME, at most N
class MachineTestFile
{
public:
    struct Step
    {
        enum Kind { Set, Tick, ExpectState, Expect, Until };
        Kind kind = Tick;
        int line = 0;
        // The memory item of Set, the state of ExpectState and Until.
        QString name;
        // The C expression of Set and Expect.
        QString expression;
        // Ticks of Tick, the limit of Until.
        int count = 1;
        // The line as written, without its comment, for messages.
        QString text;
    };

    struct Case
    {
        QString name;
        QString machine;
        int line = 0;
        QVector<Step> steps;
    };

    // False, with "FILE:LINE: what was expected" in error, when a line is
    // not a step or a case has no machine.
    bool parse(const QString& fileName, const QString& text, QString* error);

    QString fileName() const { return file; }
    const QVector<Case>& cases() const { return list; }

private:
    bool parseLine(const QString& line, int number, QString* error);
    bool parseStep(const QString& line, int number, Step* step, QString* what) const;

    QString file;
    QString machine;
    QVector<Case> list;
};

#endif // MACHINETESTFILE_H
