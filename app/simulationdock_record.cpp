// Record as Test: what the user did in the simulation dock, written as a
// case of a test file that korvel-cli test and Run > Run Tests replay.

#include "simulationdock.h"

#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>

#include "stateitem.h"

void SimulationDock::noteTicks(int tick)
{
    // Tick 0 is the initialisation every case starts with.
    if (tick <= 0)
        return;
    if (!recording.isEmpty() && recording.last().startsWith(QLatin1String("tick"))) {
        const int run = recording.last().section(QLatin1Char(' '), 1, 1).toInt();
        recording.last() = QStringLiteral("tick %1").arg(qMax(run, 1) + 1);
        return;
    }
    recording << QStringLiteral("tick");
}

QString SimulationDock::recordedTest(const QString& name) const
{
    if (!canvas || !stateMarked)
        return QString();
    QString text = QStringLiteral("\nmachine %1\ntest %2\n")
                       .arg(canvas->getLabel().replace(QLatin1Char(' '), QLatin1Char('_')), name);
    for (const QString& line : recording)
        text += line + QLatin1Char('\n');
    return text + QStringLiteral("expect state %1\n").arg(stateMarked->getLabel());
}

bool SimulationDock::appendRecordedTest(const QString& path, const QString& name, QString* why) const
{
    const QString text = recordedTest(name);
    if (text.isEmpty()) {
        *why = tr("nothing has been simulated yet");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(text.toUtf8()) < 0 || !file.flush()) {
        *why = file.errorString();
        return false;
    }
    return true;
}

void SimulationDock::recordAsTest()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Korvel - Record as Test"), QString(),
                                                      tr("Korvel tests (*.kvtest)"), nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return;
    const QString name = tr("Recorded %1").arg(QDateTime::currentDateTime().toString(Qt::ISODate));
    QString why;
    status->setText(appendRecordedTest(path, name, &why)
                        ? tr("The case \"%1\" was added to %2.").arg(name, QFileInfo(path).fileName())
                        : tr("The case was not recorded: %1").arg(why));
}
