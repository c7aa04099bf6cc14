// Windows socket calls of the simulator, over link's socket layer. Winsock cannot name the
// interface a limited broadcast leaves from, so each broadcast reply goes out once from every
// local address, through a socket bound to it.
#include "tools/sim/sim_socket.h"

#include <chrono>
#include <string>
#include <thread>

#include "link/endpoints.h"
#include "link/winsock.h"

namespace ktr {
namespace {

constexpr int kBufferBytes = 8 * 1024 * 1024;

Failure<std::string> Failed(const char *what, OsError error)
{
    return Fail(std::string(what) + ": Winsock error " + std::to_string(error.code));
}

// The first failure of the steps that open a socket, with what failed.
Status<std::string> Opened(const char *what, const OsStatus &status)
{
    if (!status)
        return Failed(what, status.error());
    return Ok();
}

} // namespace

SimSocket::~SimSocket() = default;

SocketHandle SimSocket::handle() const
{
    return receiver_.handle();
}

Status<std::string> SimSocket::open(std::uint16_t port)
{
    if (auto s = Opened("WSAStartup", StartNetworkStack()); !s)
        return s;
    if (auto s = Opened("socket", receiver_.create()); !s)
        return s;
    if (auto s = Opened("SO_REUSEADDR", receiver_.setReuseAddress(true)); !s)
        return s;
    if (auto s = Opened("SO_BROADCAST", receiver_.setBroadcast(true)); !s)
        return s;
    // A smaller queue only risks drops in a large search; the simulator still works.
    (void)receiver_.setReceiveBuffer(kBufferBytes);
    if (auto s = Opened("bind", receiver_.bind(0, port)); !s)
        return s;
    for (const std::uint32_t address : LocalIpv4Addresses()) {
        UdpSocket socket;
        OsStatus ready = socket.create();
        if (ready)
            ready = socket.setBroadcast(true);
        if (ready)
            ready = socket.bind(address, 0);
        if (!ready)
            return Failed("broadcast socket", ready.error());
        broadcasters_.push_back(std::move(socket));
    }
    return Ok();
}

std::optional<ReceivedRequest> SimSocket::receive()
{
    std::optional<UdpSocket::Received> received = receiver_.tryReceive();
    if (!received)
        return std::nullopt;
    return ReceivedRequest{std::move(received->data), received->from, received->fromPort, 0};
}

OsStatus SimSocket::send(ByteView datagram, std::uint32_t address, std::uint16_t port, int)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    auto sendOne = [&](UdpSocket &socket) {
        while (true) {
            OsStatus sent = socket.sendTo(datagram, address, port);
            if (sent || (sent.error().code != WSAEWOULDBLOCK && sent.error().code != WSAENOBUFS))
                return sent;
            if (std::chrono::steady_clock::now() >= deadline)
                return sent;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    if (address != kBroadcastAddress)
        return sendOne(receiver_);
    OsStatus result = Ok();
    for (UdpSocket &socket : broadcasters_) {
        if (OsStatus sent = sendOne(socket); !sent)
            result = sent;
    }
    return result;
}

// Winsock has no call that sends several datagrams at once: one send each, in order.
BatchResult SimSocket::sendBatch(std::span<const AddressedDatagram> batch)
{
    BatchResult result;
    for (const AddressedDatagram &d : batch) {
        if (const OsStatus sent = send(d.datagram, d.address, d.port, d.interfaceIndex); !sent) {
            ++result.failed;
            result.lastError = sent.error();
        }
    }
    return result;
}

} // namespace ktr
