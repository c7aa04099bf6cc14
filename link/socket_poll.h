// One wait over several sockets, the same on both platforms: poll on POSIX, WSAPoll on Windows.
#pragma once

#include <vector>

#include "core/os_error.h"

#ifdef _WIN32
#include "link/winsock.h"
#else
#include <cerrno>
#include <poll.h>
#endif

namespace ktr {

#ifdef _WIN32
using PollEntry = WSAPOLLFD;
inline constexpr short kReadable = POLLRDNORM;

// Waits up to timeoutMs (-1: without end); the number of sockets with events, 0 on time-out.
[[nodiscard]] inline Result<int, OsError> Poll(std::vector<PollEntry> &entries, int timeoutMs)
{
    const int ready = ::WSAPoll(entries.data(), static_cast<ULONG>(entries.size()), timeoutMs);
    if (ready < 0)
        return Fail(OsError{::WSAGetLastError()});
    return ready;
}
#else
using PollEntry = pollfd;
inline constexpr short kReadable = POLLIN;

// Waits up to timeoutMs (-1: without end); the number of sockets with events, 0 on time-out.
[[nodiscard]] inline Result<int, OsError> Poll(std::vector<PollEntry> &entries, int timeoutMs)
{
    const int ready = ::poll(entries.data(), static_cast<nfds_t>(entries.size()), timeoutMs);
    if (ready < 0)
        return Fail(OsError{errno});
    return ready;
}
#endif

} // namespace ktr
