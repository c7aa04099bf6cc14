// POSIX sockets of the lab tests' UDP client.
#include "tests/lab/support/raw_udp_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ktr {
namespace {

std::string Failure(const char *what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

std::string OpenBound(int &fd, std::uint32_t address, int receiveBuffer)
{
    fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0)
        return Failure("socket");
    const int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
        return Failure("setsockopt");
    // Root may go beyond net.core.rmem_max; otherwise the kernel grants what it allows.
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &receiveBuffer, sizeof receiveBuffer) != 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(kPort);
    local.sin_addr.s_addr = htonl(address);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0)
        return Failure("bind");
    return {};
}

} // namespace

RawUdpClient::~RawUdpClient()
{
    if (send_ >= 0)
        ::close(send_);
    if (receive_ >= 0)
        ::close(receive_);
}

std::string RawUdpClient::open(std::uint32_t localAddress)
{
    std::string failure = OpenBound(receive_, INADDR_ANY, kReceiveBufferBytes);
    if (failure.empty())
        failure = OpenBound(send_, localAddress, kReceiveBufferBytes);
    return failure;
}

int RawUdpClient::broadcast(ByteView datagram)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kPort);
    to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    const ssize_t sent = ::sendto(send_, datagram.data(), datagram.size(), 0,
                                  reinterpret_cast<const sockaddr *>(&to), sizeof to);
    return sent < 0 ? errno : 0;
}

std::vector<ClientDatagram> RawUdpClient::collect(std::chrono::milliseconds window,
                                                  std::size_t count)
{
    std::vector<ClientDatagram> replies;
    const auto deadline = std::chrono::steady_clock::now() + window;
    pollfd fds[2] = {{receive_, POLLIN, 0}, {send_, POLLIN, 0}};
    while (replies.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) <= 0)
            break;
        for (const pollfd &p : fds) {
            while (replies.size() < count) {
                std::uint8_t buffer[kMaxDatagram];
                sockaddr_in from{};
                socklen_t fromLength = sizeof from;
                const ssize_t n = ::recvfrom(p.fd, buffer, sizeof buffer, 0,
                                             reinterpret_cast<sockaddr *>(&from), &fromLength);
                if (n < 0)
                    break;
                if (n == 0 || buffer[0] != kReplyStart)
                    continue;
                replies.push_back(ClientDatagram{Bytes(buffer, buffer + n),
                                                 ntohl(from.sin_addr.s_addr), p.fd == send_});
            }
        }
    }
    return replies;
}

std::vector<ClientDatagram>
RawUdpClient::exchange(ByteView request, std::chrono::milliseconds window, std::size_t count)
{
    if (broadcast(request) != 0)
        return {};
    return collect(window, count);
}

int RawUdpClient::receiveBufferBytes() const
{
    int bytes = 0;
    socklen_t length = sizeof bytes;
    getsockopt(receive_, SOL_SOCKET, SO_RCVBUF, &bytes, &length);
    return bytes;
}

} // namespace ktr
