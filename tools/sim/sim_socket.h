// The simulator's one UDP socket: bound to 0.0.0.0:1901, it learns the interface each request
// came in on and sends the replies out of that interface (Linux IP_PKTINFO). On Windows a
// broadcast reply leaves through one socket per local address instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/frame.h"
#include "link/udp_socket.h"

#ifdef _WIN32
#include <vector>
#endif

namespace ktr {

struct ReceivedRequest
{
    Bytes data;
    std::uint32_t from = 0; // first octet most significant
    std::uint16_t fromPort = 0;
    int interfaceIndex = 0;
};

class SimSocket
{
public:
    SimSocket() = default;
    ~SimSocket();
    SimSocket(const SimSocket &) = delete;
    SimSocket &operator=(const SimSocket &) = delete;

    // Returns an empty string or what failed, with the OS error text.
    std::string open(std::uint16_t port);
    SocketHandle handle() const;

    // Non-blocking; nullopt when nothing is waiting.
    std::optional<ReceivedRequest> receive();
    // Sends through the given interface, waiting while the send queue is full (ENOBUFS,
    // EAGAIN) for at most a second. Returns 0 or the OS error code of the failure.
    int send(ByteView datagram, std::uint32_t address, std::uint16_t port, int interfaceIndex);

private:
#ifdef _WIN32
    UdpSocket receiver_;
    std::vector<UdpSocket> broadcasters_;
#else
    int fd_ = -1;
#endif
};

} // namespace ktr
