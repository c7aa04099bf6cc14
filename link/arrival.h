// Receiving on several sockets from one caller-driven loop: waiting until one is readable, and
// taking a datagram together with the local address it arrived on, so that a caller can tell
// which of the host's interfaces heard a device.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

#include "link/udp_socket.h"

namespace ktr {

// Asks the system to report the arrival address of each datagram on the socket (IP_PKTINFO).
// Without it ReceiveWithArrival reports no address.
[[nodiscard]] OsStatus EnableArrivalAddress(SocketHandle socket);

struct ArrivalResult
{
    ReceiveResult received;
    // The host's own address on the interface the datagram came in on, first octet most
    // significant; 0 when the system did not say or it was not asked for.
    std::uint32_t localAddress = 0;
    // The address the datagram was sent to (a broadcast address for a broadcast); 0 when the
    // system did not say.
    std::uint32_t destination = 0;
};

// Whether ReceiveWithArrival works out localAddress. On Windows that takes a look at the adapter
// list for every broadcast, which a caller that needs only the destination is spared.
enum class ArrivalDetail { LocalAddress, DestinationOnly };

// Takes one datagram off the socket's queue without blocking, as ReceiveDatagram does (with the
// drop count, where the socket's drop counter is on).
[[nodiscard]] ArrivalResult ReceiveWithArrival(SocketHandle socket,
                                               ArrivalDetail detail = ArrivalDetail::LocalAddress);

// Waits until at least one socket is readable or the timeout passed (a negative timeout waits
// without end). Returns the indexes of the readable sockets; empty on time-out or error.
std::vector<std::size_t> WaitReadable(std::span<const SocketHandle> sockets,
                                      std::chrono::milliseconds timeout);

} // namespace ktr
