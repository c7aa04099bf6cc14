// Arrival addresses through IP_PKTINFO (recvmsg on POSIX, WSARecvMsg on Windows) and the wait
// for readable sockets (poll, WSAPoll).
#include "link/arrival.h"

#include <array>
#include <cstring>

#ifdef _WIN32
#include "link/winsock.h"
#include <mswsock.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "link/pktinfo_receive.h"
#endif

#include "link/socket_poll.h"

namespace ktr {
namespace {

#ifdef _WIN32
constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;

// Windows reports the destination address, which for a broadcast names no interface; the
// interface index then leads to the adapter's first IPv4 address.
std::uint32_t AdapterAddress(ULONG interfaceIndex)
{
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer(size);
    auto *list = reinterpret_cast<IP_ADAPTER_ADDRESSES *>(buffer.data());
    if (::GetAdaptersAddresses(AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST, nullptr,
                               list, &size) != NO_ERROR)
        return 0;
    for (auto *adapter = list; adapter; adapter = adapter->Next) {
        if (adapter->IfIndex != interfaceIndex)
            continue;
        for (auto *u = adapter->FirstUnicastAddress; u; u = u->Next) {
            const SOCKADDR *sa = u->Address.lpSockaddr;
            if (sa && sa->sa_family == AF_INET)
                return ntohl(reinterpret_cast<const sockaddr_in *>(sa)->sin_addr.s_addr);
        }
    }
    return 0;
}

LPFN_WSARECVMSG RecvMsgFunction(SocketHandle socket)
{
    GUID guid = WSAID_WSARECVMSG;
    LPFN_WSARECVMSG function = nullptr;
    DWORD bytes = 0;
    if (::WSAIoctl(socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &guid, sizeof guid, &function,
                   sizeof function, &bytes, nullptr, nullptr) != 0)
        return nullptr;
    return function;
}
#endif

} // namespace

OsStatus EnableArrivalAddress(SocketHandle socket)
{
    const int on = 1;
    if (::setsockopt(socket, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char *>(&on),
                     sizeof on) != 0)
        return Fail(LastSocketError());
    return Ok();
}

ArrivalResult ReceiveWithArrival(SocketHandle socket, ArrivalDetail detail)
{
    // One byte more than the largest datagram, as in ReceiveDatagram: a datagram that fills it
    // was too long and is dropped whole.
    std::array<std::uint8_t, kMaxDatagram + 1> buffer;
    sockaddr_in from{};
    ArrivalResult result;
    ReceiveResult &r = result.received;
    std::size_t size = 0;
#ifdef _WIN32
    static const LPFN_WSARECVMSG recvMsg = RecvMsgFunction(socket);
    if (!recvMsg) {
        r = ReceiveDatagram(socket);
        return result;
    }
    alignas(WSACMSGHDR) char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))]{};
    WSABUF data{static_cast<ULONG>(buffer.size()), reinterpret_cast<char *>(buffer.data())};
    WSAMSG msg{};
    msg.name = reinterpret_cast<sockaddr *>(&from);
    msg.namelen = sizeof from;
    msg.lpBuffers = &data;
    msg.dwBufferCount = 1;
    msg.Control = WSABUF{sizeof control, control};
    DWORD received = 0;
    if (recvMsg(socket, &msg, &received, nullptr, nullptr) != 0) {
        r = FailedReceive(LastSocketError());
        return result;
    }
    size = received;
    for (WSACMSGHDR *c = WSA_CMSG_FIRSTHDR(&msg); c; c = WSA_CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            IN_PKTINFO info{};
            std::memcpy(&info, WSA_CMSG_DATA(c), sizeof info);
            const std::uint32_t to = ntohl(info.ipi_addr.s_addr);
            result.destination = to;
            if (detail == ArrivalDetail::LocalAddress)
                result.localAddress =
                    to == kLimitedBroadcast ? AdapterAddress(info.ipi_ifindex) : to;
        }
    }
#else
    const Result<PktinfoDatagram, OsError> taken = ReceiveWithPktinfo(socket, buffer);
    if (!taken) {
        r = FailedReceive(taken.error());
        return result;
    }
    const PktinfoDatagram &d = *taken;
    size = d.size;
    from = d.from;
    r.dropped = d.dropped;
    // The specific destination: for a broadcast, the host's address on the interface it came in
    // on.
    if (d.info) {
        result.destination = ntohl(d.info->ipi_addr.s_addr);
        if (detail == ArrivalDetail::LocalAddress)
            result.localAddress = ntohl(d.info->ipi_spec_dst.s_addr);
    }
#endif
    if (size > kMaxDatagram) {
        r.status = ReceiveStatus::Oversized;
        return result;
    }
    r.status = ReceiveStatus::Datagram;
    r.datagram.data.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(size));
    r.datagram.from = ntohl(from.sin_addr.s_addr);
    r.datagram.fromPort = ntohs(from.sin_port);
    return result;
}

std::vector<std::size_t> WaitReadable(std::span<const SocketHandle> sockets,
                                      std::chrono::milliseconds timeout)
{
    std::vector<PollEntry> entries;
    for (SocketHandle s : sockets)
        entries.push_back(PollEntry{s, kReadable, 0});
    const int timeoutMs = timeout.count() < 0 ? -1 : static_cast<int>(timeout.count());
    std::vector<std::size_t> readable;
    if (entries.empty())
        return readable;
    if (const Result<int, OsError> ready = Poll(entries, timeoutMs); !ready || *ready == 0)
        return readable;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].revents != 0)
            readable.push_back(i);
    }
    return readable;
}

} // namespace ktr
