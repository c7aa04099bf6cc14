// SIGINT and SIGTERM end the simulator. The signals stay blocked except inside ppoll, so a stop
// request cannot slip in between the check of the flag and the wait.
#include "tools/sim/stop_signal.h"

#include <csignal>
#include <poll.h>

namespace ktr {
namespace {

volatile std::sig_atomic_t gStop = 0;
sigset_t gWaitMask;

void OnStopSignal(int)
{
    gStop = 1;
}

} // namespace

bool InstallStopSignals()
{
    struct sigaction action
    {
    };
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGINT, &action, nullptr) != 0 || sigaction(SIGTERM, &action, nullptr) != 0)
        return false;
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    return sigprocmask(SIG_BLOCK, &blocked, &gWaitMask) == 0;
}

bool StopRequested()
{
    return gStop != 0;
}

void WaitForRequest(SocketHandle socket, int timeoutMs)
{
    pollfd p{socket, POLLIN, 0};
    timespec timeout{};
    timeout.tv_sec = timeoutMs / 1000;
    timeout.tv_nsec = static_cast<long>(timeoutMs % 1000) * 1000000L;
    ppoll(&p, 1, timeoutMs < 0 ? nullptr : &timeout, &gWaitMask);
}

} // namespace ktr
