#ifndef SIMULATIONSCENARIO_H
#define SIMULATIONSCENARIO_H

#include <QString>
#include <QVector>

// The values a simulation writes into a machine's memory items, each before
// the machine function runs at a given tick (tick 0: before initialisation).
// Read from "VAR=VALUE[@TICK]" options and from scenario files holding one
// "TICK VAR=VALUE" per line, with blank lines and "#" comment lines.
class SimulationScenario
{
public:
    struct Assignment
    {
        int tick = 0;
        QString variable;
        // A C expression, copied into the harness as it is.
        QString value;
    };

    // False, with the reason, when the text is not VAR=VALUE[@TICK].
    static bool parseAssignment(const QString& text, Assignment* assignment, QString* error);
    // False, with the line at fault, when a line is not TICK VAR=VALUE.
    static bool parseText(const QString& text, QVector<Assignment>* assignments, QString* error);
    static bool parseFile(const QString& path, QVector<Assignment>* assignments, QString* error);

private:
    static bool parseTick(const QString& text, int* tick);
    static bool splitAssignment(const QString& text, Assignment* assignment, QString* error);
};

#endif // SIMULATIONSCENARIO_H
