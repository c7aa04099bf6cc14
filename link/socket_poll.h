// One wait over several sockets, the same on both platforms: poll on POSIX, WSAPoll on Windows.
#pragma once

#include <vector>

#ifdef _WIN32
#include "link/winsock.h"
#else
#include <poll.h>
#endif

namespace ktr {

#ifdef _WIN32
using PollEntry = WSAPOLLFD;
inline constexpr short kReadable = POLLRDNORM;

// Waits up to timeoutMs (-1: without end); the number of sockets with events, 0 on time-out,
// negative on error.
inline int Poll(std::vector<PollEntry> &entries, int timeoutMs)
{
    return ::WSAPoll(entries.data(), static_cast<ULONG>(entries.size()), timeoutMs);
}
#else
using PollEntry = pollfd;
inline constexpr short kReadable = POLLIN;

// Waits up to timeoutMs (-1: without end); the number of sockets with events, 0 on time-out,
// negative on error.
inline int Poll(std::vector<PollEntry> &entries, int timeoutMs)
{
    return ::poll(entries.data(), static_cast<nfds_t>(entries.size()), timeoutMs);
}
#endif

} // namespace ktr
