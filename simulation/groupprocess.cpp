#include "groupprocess.h"

#include <csignal>
#include <sys/prctl.h>
#include <sys/types.h>
#include <unistd.h>

namespace {
// A killed process is gone at once; this only bounds a stuck system.
const int killWait = 1000;
} // namespace

GroupProcess::GroupProcess(QObject* parent)
    : QProcess(parent)
{
    // The leader's id is the group's; it is kept for after the leader ended.
    connect(this, &QProcess::started, this, [this] { group = processId(); });
}

GroupProcess::~GroupProcess()
{
    endGroup();
}

void GroupProcess::setupChildProcess()
{
    ::setpgid(0, 0);
    // Out of the terminal's group, Ctrl+C no longer reaches the leader; it
    // goes when this program goes, however that ends.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
}

void GroupProcess::endGroup()
{
    if (group == 0)
        group = processId();
    // A leader that ended was reaped moments ago; while any member of its
    // group lives, no other process can take the group's id.
    if (group > 0)
        ::kill(-pid_t(group), SIGKILL);
    group = 0;
    // One that has not made its group yet is killed on its own.
    if (state() != QProcess::NotRunning) {
        kill();
        waitForFinished(killWait);
    }
}
