// One RAII UDP/IPv4 socket over BSD sockets (Winsock 2 on Windows); errors are OS error codes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "link/frame.h"

namespace ktr {

#ifdef _WIN32
using SocketHandle = std::uintptr_t;
#else
using SocketHandle = int;
#endif
inline constexpr SocketHandle kNoSocket = static_cast<SocketHandle>(-1);

// The calling thread's last socket error (errno, or WSAGetLastError on Windows).
int LastSocketError();

// The system calls behind UdpSocket that a test may make fail.
enum class SocketCall { Create, SetBroadcast, SetReuse, Bind, Send, Close };
// Consulted before each of those calls with the socket concerned (kNoSocket for Create): 0 lets
// the call run, any other value is taken as the call's OS error code and the call is skipped.
// Close is only observed; the socket is closed whatever the seam returns. For tests: install it
// while no other thread creates, configures or sends; an empty function removes it.
using SocketCallSeam = std::function<int(SocketCall, SocketHandle)>;
void SetSocketCallSeam(SocketCallSeam seam);

class UdpSocket
{
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(UdpSocket &&other) noexcept;
    UdpSocket &operator=(UdpSocket &&other) noexcept;
    UdpSocket(const UdpSocket &) = delete;
    UdpSocket &operator=(const UdpSocket &) = delete;

    // Creates the socket; returns 0 or the OS error code. Any socket held before is closed.
    int create();
    bool isValid() const { return handle_ != kNoSocket; }
    SocketHandle handle() const { return handle_; }
    void close();

    // Each returns 0 or the OS error code.
    int setBroadcast(bool on);
    int setReuseAddress(bool on);
    // Asks for a receive queue of the given size, beyond the system's limit where the process
    // may (SO_RCVBUFFORCE on Linux).
    int setReceiveBuffer(int bytes);
    int bind(std::uint32_t address, std::uint16_t port); // address: first octet most significant
    int sendTo(ByteView datagram, std::uint32_t address, std::uint16_t port);

    // The receive queue size the system actually granted (Linux reports twice the bytes asked
    // for, the rest being its bookkeeping), or -1.
    int receiveBufferSize() const;

    struct Name
    {
        std::uint32_t address = 0;
        std::uint16_t port = 0;
    };
    // The address and port the socket is bound to.
    std::optional<Name> localName() const;

    // Non-blocking receive of one datagram; nullopt when none is waiting or on error. Datagrams
    // longer than kMaxDatagram are dropped.
    struct Received
    {
        Bytes data;
        std::uint32_t from = 0;
        std::uint16_t fromPort = 0;
    };
    std::optional<Received> tryReceive();

private:
    SocketHandle handle_ = kNoSocket;
};

enum class ReceiveStatus {
    Datagram,       // one datagram of at most kMaxDatagram bytes (possibly empty)
    Oversized,      // a longer datagram, dropped whole
    NothingWaiting, // the queue is empty
    Failed,         // error holds the OS error code
};

struct ReceiveResult
{
    ReceiveStatus status = ReceiveStatus::NothingWaiting;
    UdpSocket::Received datagram;
    int error = 0;
};

// Takes one datagram off the socket's queue without blocking. Serves the receiver thread, which
// reads sockets it does not own, and UdpSocket::tryReceive.
ReceiveResult ReceiveDatagram(SocketHandle socket);

// Waits until a datagram is waiting on the socket or the time is up (negative: no limit).
// True when one is waiting. Serves the simulator's loop and the socket tests on every system.
bool WaitReadable(SocketHandle socket, int timeoutMs);

} // namespace ktr
