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

std::string Failure(const char *what, int error)
{
    return std::string(what) + ": Winsock error " + std::to_string(error);
}

} // namespace

SimSocket::~SimSocket() = default;

SocketHandle SimSocket::handle() const
{
    return receiver_.handle();
}

std::string SimSocket::open(std::uint16_t port)
{
    if (const int error = StartNetworkStack())
        return Failure("WSAStartup", error);
    if (const int error = receiver_.create())
        return Failure("socket", error);
    if (const int error = receiver_.setReuseAddress(true))
        return Failure("SO_REUSEADDR", error);
    if (const int error = receiver_.setBroadcast(true))
        return Failure("SO_BROADCAST", error);
    // A smaller queue only risks drops in a large search; the simulator still works.
    (void)receiver_.setReceiveBuffer(kBufferBytes);
    if (const int error = receiver_.bind(0, port))
        return Failure("bind", error);
    for (const std::uint32_t address : LocalIpv4Addresses()) {
        UdpSocket s;
        if (s.create() != 0 || s.setBroadcast(true) != 0 || s.bind(address, 0) != 0)
            return Failure("broadcast socket", LastSocketError());
        broadcasters_.push_back(std::move(s));
    }
    return {};
}

std::optional<ReceivedRequest> SimSocket::receive()
{
    std::optional<UdpSocket::Received> received = receiver_.tryReceive();
    if (!received)
        return std::nullopt;
    return ReceivedRequest{std::move(received->data), received->from, received->fromPort, 0};
}

int SimSocket::send(ByteView datagram, std::uint32_t address, std::uint16_t port, int)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    auto sendOne = [&](UdpSocket &socket) {
        while (true) {
            const int error = socket.sendTo(datagram, address, port);
            if (error != WSAEWOULDBLOCK && error != WSAENOBUFS)
                return error;
            if (std::chrono::steady_clock::now() >= deadline)
                return error;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    if (address != kBroadcastAddress)
        return sendOne(receiver_);
    int failure = 0;
    for (UdpSocket &socket : broadcasters_) {
        if (const int error = sendOne(socket))
            failure = error;
    }
    return failure;
}

// Winsock has no call that sends several datagrams at once: one send each, in order.
BatchResult SimSocket::sendBatch(std::span<const AddressedDatagram> batch)
{
    BatchResult result;
    for (const AddressedDatagram &d : batch) {
        if (const int error = send(d.datagram, d.address, d.port, d.interfaceIndex)) {
            ++result.failed;
            result.lastError = error;
        }
    }
    return result;
}

} // namespace ktr
