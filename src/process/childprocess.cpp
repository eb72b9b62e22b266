#include "childprocess.h"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace sonvera {

void bindChildToParent(QProcess &process, int deathSignal)
{
    const pid_t parentPid = ::getpid();
    // Runs in the child between fork and exec: async-signal-safe calls only.
    process.setChildProcessModifier([parentPid, deathSignal] {
        ::prctl(PR_SET_PDEATHSIG, deathSignal);
        if (::getppid() != parentPid) // the parent died before prctl took effect
            ::_exit(127);
        ::signal(SIGPIPE, SIG_DFL);
    });
}

} // namespace sonvera
