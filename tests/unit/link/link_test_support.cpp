// Helpers of the socket-layer tests.
#include "link_test_support.h"

#include <stdexcept>

namespace ktr::test {

UdpSocket BoundSocket(std::uint32_t address, std::uint16_t port, bool reuseAddress)
{
    UdpSocket s;
    if (!s.create() || (reuseAddress && !s.setReuseAddress(true)) ||
        !s.setReceiveBuffer(4 * 1024 * 1024) || !s.bind(address, port))
        throw std::runtime_error("test socket could not be bound");
    return s;
}

std::uint16_t PortOf(const UdpSocket &socket)
{
    const auto name = socket.localName();
    return name ? name->port : 0;
}

void SendFromLoopback(ByteView datagram, std::uint32_t address, std::uint16_t port)
{
    UdpSocket s = BoundSocket(Loopback(1));
    if (!s.sendTo(datagram, address, port))
        throw std::runtime_error("test datagram could not be sent");
}

std::vector<UdpSocket::Received> ReceiveUntilQuiet(SocketHandle socket,
                                                   std::chrono::milliseconds quiet)
{
    std::vector<UdpSocket::Received> received;
    for (;;) {
        if (!WaitReadable(socket, static_cast<int>(quiet.count())))
            return received;
        for (;;) {
            ReceiveResult r = ReceiveDatagram(socket);
            if (r.status == ReceiveStatus::Datagram)
                received.push_back(std::move(r.datagram));
            else if (r.status != ReceiveStatus::Oversized)
                break;
        }
    }
}

Bytes Pattern(std::size_t size, std::uint8_t seed)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>(seed * 31u + i * 7u);
    return b;
}

void Sink::add(Bytes datagram)
{
    {
        std::lock_guard lock(mutex_);
        datagrams_.push_back(std::move(datagram));
    }
    arrived_.notify_all();
}

bool Sink::waitFor(std::size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return datagrams_.size() >= count; });
}

std::vector<Bytes> Sink::datagrams() const
{
    std::lock_guard lock(mutex_);
    return datagrams_;
}

std::size_t Sink::size() const
{
    std::lock_guard lock(mutex_);
    return datagrams_.size();
}

} // namespace ktr::test
