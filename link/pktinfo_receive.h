// One datagram taken off a POSIX socket together with what the system reports beside it: the
// interface it came in on and the host's address there (IP_PKTINFO), and the socket's count of
// datagrams dropped for want of room (SO_RXQ_OVFL). Shared by every POSIX receiver: the window's
// receiver thread, the command-line tool and the device simulator; Windows has its own paths.
#pragma once

#ifndef _WIN32

#include <netinet/in.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "core/os_error.h"

namespace ktr {

struct PktinfoDatagram
{
    std::size_t size = 0;   // bytes taken
    bool truncated = false; // the datagram was longer than the buffer
    sockaddr_in from{};
    std::optional<in_pktinfo> info; // when the system reported it
    // With the drop counter on: the datagrams the system has dropped on this socket so far.
    std::optional<std::uint32_t> dropped;
};

// Receives without blocking; an interrupted call is retried. Fails with errno (EAGAIN when
// nothing is waiting).
[[nodiscard]] Result<PktinfoDatagram, OsError> ReceiveWithPktinfo(int socket,
                                                                  std::span<std::uint8_t> buffer);

} // namespace ktr

#endif
