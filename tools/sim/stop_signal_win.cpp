// Ctrl+C, Ctrl+Break and closing the console end the simulator. The console handler runs on a
// thread of its own, so the wait looks at the flag at least every 100 ms.
#include "tools/sim/stop_signal.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "link/winsock.h"

namespace ktr {
namespace {

std::atomic<bool> gStop{false};
constexpr int kSliceMs = 100;

BOOL WINAPI OnConsoleEvent(DWORD)
{
    gStop = true;
    return TRUE;
}

} // namespace

bool InstallStopSignals()
{
    return SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}

bool StopRequested()
{
    return gStop;
}

void WaitForRequest(SocketHandle socket, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!gStop) {
        int slice = kSliceMs;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return;
            slice = std::min<int>(slice, static_cast<int>(left.count()));
        }
        if (WaitReadable(socket, slice))
            return;
    }
}

} // namespace ktr
