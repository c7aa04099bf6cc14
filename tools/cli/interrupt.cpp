// The flag is a lock-free atomic: the only thing a signal handler may safely touch, and read by
// whichever thread looks.
#include "tools/cli/interrupt.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace ktr::cli {
namespace {

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#ifdef _WIN32
// Runs on a thread of its own that the console starts. Closing the console or logging off keeps
// the default: the program ends.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    gInterrupted.store(true);
    return TRUE;
}
#else
void OnInterrupt(int)
{
    gInterrupted.store(true);
}
#endif

} // namespace

bool CatchInterrupt()
{
#ifdef _WIN32
    return SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
#else
    struct sigaction action
    {
    };
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGINT, &action, nullptr) == 0;
#endif
}

bool InterruptRequested()
{
    return gInterrupted.load();
}

} // namespace ktr::cli
