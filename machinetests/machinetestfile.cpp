#include "machinetestfile.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Each step's form, compiled once; matching is safe on any thread.
const QRegularExpression machineLine(QStringLiteral("^machine\\s+(.+)$"));
const QRegularExpression testLine(QStringLiteral("^test\\s+(.+)$"));
const QRegularExpression setLine(QStringLiteral("^set\\s+([A-Za-z_][A-Za-z_0-9]*)\\s*=\\s*(\\S.*)$"));
const QRegularExpression tickLine(QStringLiteral("^tick(?:\\s+(\\d{1,9}))?$"));
const QRegularExpression untilLine(QStringLiteral("^until\\s+state\\s+(\\S+)\\s+within\\s+(\\d{1,9})$"));
const QRegularExpression expectStateLine(QStringLiteral("^expect\\s+state\\s+(\\S+)$"));
const QRegularExpression expectLine(QStringLiteral("^expect\\s+(\\S.*)$"));

} // namespace

bool MachineTestFile::parse(const QString& fileName, const QString& text, QString* error)
{
    file = fileName;
    machine.clear();
    list.clear();
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        const int comment = line.indexOf(QLatin1Char('#'));
        if (comment >= 0)
            line.truncate(comment);
        line = line.trimmed();
        if (!line.isEmpty() && !parseLine(line, i + 1, error))
            return false;
    }
    return true;
}

bool MachineTestFile::parseLine(const QString& line, int number, QString* error)
{
    const auto fail = [&](const QString& what) {
        *error = QStringLiteral("%1:%2: %3").arg(file, QString::number(number), what);
        return false;
    };
    QRegularExpressionMatch match = machineLine.match(line);
    if (match.hasMatch()) {
        machine = match.captured(1).trimmed();
        return true;
    }
    match = testLine.match(line);
    if (match.hasMatch()) {
        if (machine.isEmpty())
            return fail(QStringLiteral("expected \"machine NAME\" before the first test"));
        list.append({match.captured(1).trimmed(), machine, number, {}});
        return true;
    }
    if (list.isEmpty())
        return fail(QStringLiteral("expected \"test NAME\" before the first step"));
    Step step;
    QString what;
    if (!parseStep(line, number, &step, &what))
        return fail(what);
    list.last().steps.append(step);
    return true;
}

bool MachineTestFile::parseStep(const QString& line, int number, Step* step, QString* what) const
{
    step->line = number;
    step->text = line;
    QRegularExpressionMatch match = setLine.match(line);
    if (match.hasMatch()) {
        *step = {Step::Set, number, match.captured(1), match.captured(2).trimmed(), 1, line};
        return true;
    }
    match = tickLine.match(line);
    if (match.hasMatch()) {
        *step = {Step::Tick, number, {}, {}, match.captured(1).isEmpty() ? 1 : match.captured(1).toInt(), line};
        return true;
    }
    match = untilLine.match(line);
    if (match.hasMatch()) {
        *step = {Step::Until, number, match.captured(1), {}, match.captured(2).toInt(), line};
        return true;
    }
    match = expectStateLine.match(line);
    if (match.hasMatch()) {
        *step = {Step::ExpectState, number, match.captured(1), {}, 1, line};
        return true;
    }
    match = expectLine.match(line);
    if (match.hasMatch()) {
        *step = {Step::Expect, number, {}, match.captured(1).trimmed(), 1, line};
        return true;
    }
    *what = QStringLiteral("expected a step (set VAR = EXPR, tick [N], expect state NAME, expect EXPR or "
                           "until state NAME within N), not \"%1\"")
                .arg(line);
    return false;
}
