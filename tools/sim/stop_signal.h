// Ending the simulator by Ctrl+C or a termination request, and the wait for requests that such
// a request cuts short.
#pragma once

#include "link/udp_socket.h"

namespace ktr {

// Installs the handlers; false when the system refused.
bool InstallStopSignals();
bool StopRequested();
// Waits until a request is waiting on the socket, a stop is requested or the time is up
// (negative: no limit).
void WaitForRequest(SocketHandle socket, int timeoutMs);

} // namespace ktr
