// Linux socket calls of the simulator.
#include "tools/sim/sim_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ktr {
namespace {

// A thousand devices answering one search queue a thousand datagrams at once.
constexpr int kBufferBytes = 8 * 1024 * 1024;

std::string Failure(const char *what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// Root may exceed the system's buffer limit; others get what the limit allows.
void SetBuffer(int fd, int forceOption, int option)
{
    const int bytes = kBufferBytes;
    if (setsockopt(fd, SOL_SOCKET, forceOption, &bytes, sizeof bytes) != 0)
        setsockopt(fd, SOL_SOCKET, option, &bytes, sizeof bytes);
}

} // namespace

SimSocket::~SimSocket()
{
    if (fd_ >= 0)
        ::close(fd_);
}

SocketHandle SimSocket::handle() const
{
    return fd_;
}

std::string SimSocket::open(std::uint16_t port)
{
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd_ < 0)
        return Failure("socket");
    const int on = 1;
    if (setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0)
        return Failure("SO_REUSEADDR");
    if (setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
        return Failure("SO_BROADCAST");
    if (setsockopt(fd_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0)
        return Failure("IP_PKTINFO");
    SetBuffer(fd_, SO_RCVBUFFORCE, SO_RCVBUF);
    SetBuffer(fd_, SO_SNDBUFFORCE, SO_SNDBUF);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd_, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0)
        return Failure("bind");
    return {};
}

std::optional<ReceivedRequest> SimSocket::receive()
{
    ReceivedRequest r;
    r.data.resize(kMaxDatagram);
    sockaddr_in from{};
    iovec iov{r.data.data(), r.data.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd_, &msg, MSG_DONTWAIT);
    if (n < 0)
        return std::nullopt;
    // Datagrams beyond 1024 bytes are no requests of the protocol. Cut short they could still
    // look like one, so they are handed on empty, which no device answers.
    r.data.resize((msg.msg_flags & MSG_TRUNC) != 0 ? 0 : static_cast<std::size_t>(n));
    r.from = ntohl(from.sin_addr.s_addr);
    r.fromPort = ntohs(from.sin_port);
    for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            r.interfaceIndex = info.ipi_ifindex;
        }
    }
    return r;
}

int SimSocket::send(ByteView datagram, std::uint32_t address, std::uint16_t port,
                    int interfaceIndex)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(address);
    iovec iov{const_cast<std::uint8_t *>(datagram.data()), datagram.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))]{};
    msghdr msg{};
    msg.msg_name = &to;
    msg.msg_namelen = sizeof to;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    // The limited broadcast has no route; naming the interface sends it there, from that
    // interface's own address.
    if (interfaceIndex > 0) {
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr *c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_ifindex = interfaceIndex;
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (true) {
        if (::sendmsg(fd_, &msg, MSG_DONTWAIT) >= 0)
            return 0;
        const int error = errno;
        if (error != EAGAIN && error != EWOULDBLOCK && error != ENOBUFS && error != EINTR)
            return error;
        if (std::chrono::steady_clock::now() >= deadline)
            return error;
        pollfd p{fd_, POLLOUT, 0};
        // ENOBUFS does not wake poll; a short sleep-like wait bounds the retry rate.
        ::poll(&p, 1, error == ENOBUFS ? 1 : 10);
    }
}

} // namespace ktr
