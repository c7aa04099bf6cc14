// Linux socket calls of the simulator.
#include "tools/sim/sim_socket.h"

#include "link/pktinfo_receive.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace ktr {
namespace {

// A thousand devices answering one search queue a thousand datagrams at once.
constexpr int kBufferBytes = 8 * 1024 * 1024;

Failure<std::string> Failed(const char *what)
{
    return Fail(std::string(what) + ": " + std::strerror(errno));
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

Status<std::string> SimSocket::open(std::uint16_t port)
{
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd_ < 0)
        return Failed("socket");
    const int on = 1;
    if (setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0)
        return Failed("SO_REUSEADDR");
    if (setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
        return Failed("SO_BROADCAST");
    if (setsockopt(fd_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0)
        return Failed("IP_PKTINFO");
    SetBuffer(fd_, SO_RCVBUFFORCE, SO_RCVBUF);
    SetBuffer(fd_, SO_SNDBUFFORCE, SO_SNDBUF);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd_, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0)
        return Failed("bind");
    return Ok();
}

std::optional<ReceivedRequest> SimSocket::receive()
{
    ReceivedRequest r;
    r.data.resize(kMaxDatagram);
    const Result<PktinfoDatagram, OsError> taken = ReceiveWithPktinfo(fd_, r.data);
    if (!taken)
        return std::nullopt;
    const PktinfoDatagram &d = *taken;
    // Datagrams beyond 1024 bytes are no requests of the protocol. Cut short they could still
    // look like one, so they are handed on empty, which no device answers.
    r.data.resize(d.truncated ? 0 : d.size);
    r.from = ntohl(d.from.sin_addr.s_addr);
    r.fromPort = ntohs(d.from.sin_port);
    if (d.info)
        r.interfaceIndex = d.info->ipi_ifindex;
    return r;
}

namespace {

// A message header for one datagram; pktinfo names the outgoing interface when it is known.
struct OutgoingMessage
{
    sockaddr_in to{};
    iovec part{};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))]{};
};

void Prepare(const AddressedDatagram &d, OutgoingMessage &m, msghdr &msg)
{
    m.to.sin_family = AF_INET;
    m.to.sin_port = htons(d.port);
    m.to.sin_addr.s_addr = htonl(d.address);
    m.part = iovec{const_cast<std::uint8_t *>(d.datagram.data()), d.datagram.size()};
    msg = msghdr{};
    msg.msg_name = &m.to;
    msg.msg_namelen = sizeof m.to;
    msg.msg_iov = &m.part;
    msg.msg_iovlen = 1;
    // The limited broadcast has no route; naming the interface sends it there, from that
    // interface's own address.
    if (d.interfaceIndex > 0) {
        msg.msg_control = m.control;
        msg.msg_controllen = sizeof m.control;
        cmsghdr *c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_ifindex = d.interfaceIndex;
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
    }
}

bool IsQueueFull(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == ENOBUFS || error == EINTR;
}

// Waits a little for room in the send queue; false once the deadline has passed.
bool WaitForRoom(int fd, int error, std::chrono::steady_clock::time_point deadline)
{
    if (std::chrono::steady_clock::now() >= deadline)
        return false;
    pollfd p{fd, POLLOUT, 0};
    // ENOBUFS does not wake poll; a short sleep-like wait bounds the retry rate.
    ::poll(&p, 1, error == ENOBUFS ? 1 : 10);
    return true;
}

#ifdef __linux__
// Linux sends many datagrams per call; the kernel takes at most this many (UIO_MAXIOV).
constexpr std::size_t kMessagesPerCall = 1024;
using Header = mmsghdr;

msghdr &MessageOf(Header &header)
{
    header.msg_len = 0;
    return header.msg_hdr;
}

int SendSome(int fd, Header *headers, std::size_t count)
{
    return ::sendmmsg(fd, headers, static_cast<unsigned>(count), MSG_DONTWAIT);
}
#else
// Elsewhere (no sendmmsg) one datagram per call.
constexpr std::size_t kMessagesPerCall = 1;
using Header = msghdr;

msghdr &MessageOf(Header &header)
{
    return header;
}

int SendSome(int fd, Header *headers, std::size_t)
{
    return ::sendmsg(fd, headers, MSG_DONTWAIT) >= 0 ? 1 : -1;
}
#endif

} // namespace

OsStatus SimSocket::send(ByteView datagram, std::uint32_t address, std::uint16_t port,
                         int interfaceIndex)
{
    const AddressedDatagram one{datagram, address, port, interfaceIndex};
    const BatchResult result = sendBatch(std::span(&one, 1));
    if (result.failed > 0)
        return Fail(result.lastError);
    return Ok();
}

BatchResult SimSocket::sendBatch(std::span<const AddressedDatagram> batch)
{
    BatchResult result;
    // A full queue is waited on for at most a second without progress.
    constexpr auto kPatience = std::chrono::seconds(1);
    auto deadline = std::chrono::steady_clock::now() + kPatience;
    std::vector<OutgoingMessage> messages(std::min(batch.size(), kMessagesPerCall));
    std::vector<Header> headers(messages.size());
    for (std::size_t done = 0; done < batch.size();) {
        const std::size_t count = std::min(batch.size() - done, kMessagesPerCall);
        for (std::size_t i = 0; i < count; ++i)
            Prepare(batch[done + i], messages[i], MessageOf(headers[i]));
        const int sent = SendSome(fd_, headers.data(), count);
        if (sent > 0) {
            done += static_cast<std::size_t>(sent);
            deadline = std::chrono::steady_clock::now() + kPatience;
            continue;
        }
        // The first datagram of the call failed: wait for room, or give that one up.
        const int error = errno;
        if (IsQueueFull(error) && WaitForRoom(fd_, error, deadline))
            continue;
        ++result.failed;
        result.lastError = OsError{error};
        ++done;
    }
    return result;
}

} // namespace ktr
