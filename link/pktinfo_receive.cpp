// recvmsg with a control buffer sized for one in_pktinfo and one drop count.
#include "link/pktinfo_receive.h"

#ifndef _WIN32

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace ktr {

Result<PktinfoDatagram, OsError> ReceiveWithPktinfo(int socket, std::span<std::uint8_t> buffer)
{
    PktinfoDatagram d;
    // Room for both reports: a buffer that cannot hold one loses it (MSG_CTRUNC) without a word.
    alignas(
        cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo)) + CMSG_SPACE(sizeof(std::uint32_t))]{};
    iovec iov{buffer.data(), buffer.size()};
    msghdr msg{};
    msg.msg_name = &d.from;
    msg.msg_namelen = sizeof d.from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t taken = 0;
    do {
        taken = ::recvmsg(socket, &msg, MSG_DONTWAIT);
    } while (taken < 0 && errno == EINTR);
    if (taken < 0)
        return Fail(OsError{errno});
    d.size = static_cast<std::size_t>(taken);
    d.truncated = (msg.msg_flags & MSG_TRUNC) != 0;
    for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            d.info = info;
        }
#ifdef SO_RXQ_OVFL
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL) {
            std::uint32_t count = 0;
            std::memcpy(&count, CMSG_DATA(c), sizeof count);
            d.dropped = count;
        }
#endif
    }
    return d;
}

} // namespace ktr

#endif
