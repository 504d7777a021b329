#ifndef GROUPPROCESS_H
#define GROUPPROCESS_H

#include <QProcess>

// A process that leads a process group of its own, so that whatever it starts
// (a machine's code may fork) can be ended together with it: endGroup() ends
// every process left in the group, also after the leader itself has ended.
class GroupProcess : public QProcess
{
    Q_OBJECT

public:
    explicit GroupProcess(QObject* parent = nullptr);
    ~GroupProcess() override;

    // Kills every process of the group, the leader included, and waits for
    // the leader.
    void endGroup();

protected:
    void setupChildProcess() override;

private:
    qint64 group = 0;
};

#endif // GROUPPROCESS_H
