#include "simulationscenario.h"

#include <QFile>
#include <QRegularExpression>

bool SimulationScenario::parseTick(const QString& text, int* tick)
{
    // Digits only: "+3", "0x10" or " 3" are more likely slips than intent.
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch())
        return false;
    *tick = text.toInt();
    return true;
}

bool SimulationScenario::splitAssignment(const QString& text, Assignment* assignment, QString* error)
{
    const int equals = text.indexOf(QLatin1Char('='));
    if (equals < 0) {
        *error = QStringLiteral("\"%1\" is not VAR=VALUE").arg(text);
        return false;
    }
    assignment->variable = text.left(equals).trimmed();
    assignment->value = text.mid(equals + 1).trimmed();
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!identifier.match(assignment->variable).hasMatch()) {
        *error = QStringLiteral("\"%1\" does not start with the name of a memory item").arg(text);
        return false;
    }
    if (assignment->value.isEmpty()) {
        *error = QStringLiteral("\"%1\" has no value after \"=\"").arg(text);
        return false;
    }
    return true;
}

bool SimulationScenario::parseAssignment(const QString& text, Assignment* assignment, QString* error)
{
    QString body = text;
    assignment->tick = 0;
    // A C expression never holds "@", so the last one starts the tick.
    const int at = text.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        if (!parseTick(text.mid(at + 1), &assignment->tick)) {
            *error = QStringLiteral("\"%1\": the tick after \"@\" must be a whole number").arg(text);
            return false;
        }
        body = text.left(at);
    }
    return splitAssignment(body, assignment, error);
}

bool SimulationScenario::parseText(const QString& text, QVector<Assignment>* assignments, QString* error)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int blank = line.indexOf(QRegularExpression(QStringLiteral("\\s")));
        Assignment assignment;
        QString problem;
        if (blank < 0 || !parseTick(line.left(blank), &assignment.tick)) {
            *error = QStringLiteral("line %1: expected TICK VAR=VALUE, not \"%2\"").arg(QString::number(i + 1), line);
            return false;
        }
        if (!splitAssignment(line.mid(blank + 1).trimmed(), &assignment, &problem)) {
            *error = QStringLiteral("line %1: %2").arg(QString::number(i + 1), problem);
            return false;
        }
        assignments->append(assignment);
    }
    return true;
}

bool SimulationScenario::parseFile(const QString& path, QVector<Assignment>* assignments, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot be read: %1").arg(file.errorString());
        return false;
    }
    return parseText(QString::fromUtf8(file.readAll()), assignments, error);
}
