// The simulator's one UDP socket: bound to 0.0.0.0:1901, it learns the interface each request
// came in on and sends the replies out of that interface (Linux IP_PKTINFO). On Windows a
// broadcast reply leaves through one socket per local address instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/os_error.h"
#include "core/result.h"
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

// One datagram of a batch, with where it goes.
struct AddressedDatagram
{
    ByteView datagram;
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    int interfaceIndex = 0;
};

// What sending a batch came to: how many datagrams could not be sent, and the error of the last
// of them.
struct BatchResult
{
    std::size_t failed = 0;
    OsError lastError;
};

class SimSocket
{
public:
    SimSocket() = default;
    ~SimSocket();
    SimSocket(const SimSocket &) = delete;
    SimSocket &operator=(const SimSocket &) = delete;

    // Fails with what failed and the OS error text.
    [[nodiscard]] Status<std::string> open(std::uint16_t port);
    SocketHandle handle() const;

    // Non-blocking; nullopt when nothing is waiting.
    [[nodiscard]] std::optional<ReceivedRequest> receive();
    // Sends through the given interface, waiting while the send queue is full (ENOBUFS,
    // EAGAIN) for at most a second.
    [[nodiscard]] OsStatus send(ByteView datagram, std::uint32_t address, std::uint16_t port,
                                int interfaceIndex);
    // Sends the datagrams in order, as few system calls as the system allows (sendmmsg on
    // Linux, one send each elsewhere), waiting on a full queue as send does.
    [[nodiscard]] BatchResult sendBatch(std::span<const AddressedDatagram> batch);

private:
#ifdef _WIN32
    UdpSocket receiver_;
    std::vector<UdpSocket> broadcasters_;
#else
    int fd_ = -1;
#endif
};

} // namespace ktr
