// Helpers of the socket-layer tests: loopback addresses, sockets, and a thread-safe collector of
// delivered datagrams.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "link/udp_socket.h"

namespace ktr::test {

using namespace std::chrono_literals;

// 127.0.0.n: every such address is local on lo, so tests get several "interfaces" without
// sending a packet off the host.
constexpr std::uint32_t Loopback(unsigned n)
{
    return 0x7F000000u | n;
}

// True when the test process moved itself into a network namespace of its own (see
// private_network.cpp): then lo is the only interface and port 1901 is ours alone.
bool InPrivateNetwork();

// A UDP socket bound to the address and port (0: any free port), with a large receive queue.
UdpSocket BoundSocket(std::uint32_t address, std::uint16_t port = 0, bool reuseAddress = false);
std::uint16_t PortOf(const UdpSocket &socket);

// Sends one datagram from a fresh socket bound to 127.0.0.1.
void SendFromLoopback(ByteView datagram, std::uint32_t address, std::uint16_t port);

// Every datagram that arrives on the socket until none has come for `quiet`.
std::vector<UdpSocket::Received> ReceiveUntilQuiet(SocketHandle socket,
                                                   std::chrono::milliseconds quiet = 200ms);

// A datagram of the given size whose bytes depend on the seed, so a mix-up shows.
Bytes Pattern(std::size_t size, std::uint8_t seed);

// Collects what the receiver thread delivers.
class Sink
{
public:
    void add(Bytes datagram);
    // Waits until at least `count` datagrams arrived; false on timeout.
    bool waitFor(std::size_t count, std::chrono::milliseconds timeout = 5s);
    std::vector<Bytes> datagrams() const;
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Bytes> datagrams_;
};

} // namespace ktr::test
