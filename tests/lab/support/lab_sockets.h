// Plain sockets for the lab tests: whether this process runs in the lab's PC namespace, and
// UDP sockets opened in another lab namespace to play a device or to watch a segment.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "link/udp_socket.h"
#include "tests/lab/support/lab_env.h"

namespace ktr {

// True when this process runs in the lab's PC namespace and sees the PC's two addresses
// (10.77.1.10, 10.77.2.10) in that order. Tests that broadcast must check it first: nowhere
// else may they send anything.
bool InLabPc();

// A UDP socket on port 1901 in another lab namespace: a short-lived thread enters the namespace
// only to create it; the socket stays there and the caller uses it from its own namespace.
// Broadcast and address reuse are on. Bound to 0.0.0.0 it hears the segment's broadcasts; bound
// to the host's own address it sends as a device does (a limited broadcast needs the source
// address to pick its interface: the lab has no routes). Invalid when anything failed.
UdpSocket LabSocket(LabHost host, std::uint32_t address = 0);

// Every datagram that arrives until the socket has been quiet for the given time.
std::vector<UdpSocket::Received> ReceiveUntilQuiet(const UdpSocket &socket,
                                                   std::chrono::milliseconds quiet);

} // namespace ktr
