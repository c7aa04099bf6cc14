// One RAII UDP/IPv4 socket over BSD sockets (Winsock 2 on Windows); a failed call gives back the
// OS error number inside its OsError.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/os_error.h"
#include "link/frame.h"

namespace ktr {

#ifdef _WIN32
using SocketHandle = std::uintptr_t;
#else
using SocketHandle = int;
#endif
inline constexpr SocketHandle kNoSocket = static_cast<SocketHandle>(-1);

// Network stack start-up and release (WSAStartup/WSACleanup on Windows, nothing on POSIX).
[[nodiscard]] OsStatus StartNetworkStack();
void ReleaseNetworkStack();

// The calling thread's last socket error (errno, or WSAGetLastError on Windows).
OsError LastSocketError();
// The system's own description of a socket error code, in UTF-8, in the system's language.
std::string SocketErrorText(int osError);
// The code of "address already in use" (EADDRINUSE, or WSAEADDRINUSE on Windows).
int AddressInUseError();

// The system calls behind UdpSocket that a test may make fail.
enum class SocketCall { Create, SetBroadcast, SetReuse, Bind, Send, Close };
// Consulted before each of those calls with the socket concerned (kNoSocket for Create): Ok()
// lets the call run, a failure is taken as the call's own and the call is skipped. Close is
// only observed; the socket is closed whatever the seam returns. For tests: install it while no
// other thread creates, configures or sends; an empty function removes it.
using SocketCallSeam = std::function<OsStatus(SocketCall, SocketHandle)>;
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

    // Creates the socket. Any socket held before is closed.
    [[nodiscard]] OsStatus create();
    bool isValid() const { return handle_ != kNoSocket; }
    SocketHandle handle() const { return handle_; }
    void close();

    [[nodiscard]] OsStatus setBroadcast(bool on);
    [[nodiscard]] OsStatus setReuseAddress(bool on);
    // Asks for a receive queue of the given size, beyond the system's limit where the process
    // may (SO_RCVBUFFORCE on Linux).
    [[nodiscard]] OsStatus setReceiveBuffer(int bytes);
    // Asks the system to report with each datagram how many it has dropped so far for want of
    // room in the queue (SO_RXQ_OVFL on Linux); elsewhere fails and nothing changes.
    [[nodiscard]] OsStatus setDropCounter(bool on);
    // address: first octet most significant
    [[nodiscard]] OsStatus bind(std::uint32_t address, std::uint16_t port);
    [[nodiscard]] OsStatus sendTo(ByteView datagram, std::uint32_t address, std::uint16_t port);

    // The receive queue size the system actually granted (Linux reports twice the bytes asked
    // for, the rest being its bookkeeping); nullopt when the system does not say.
    [[nodiscard]] std::optional<int> receiveBufferSize() const;

    struct Name
    {
        std::uint32_t address = 0;
        std::uint16_t port = 0;
    };
    // The address and port the socket is bound to.
    [[nodiscard]] std::optional<Name> localName() const;

    // Non-blocking receive of one datagram; nullopt when none is waiting or on error. Datagrams
    // longer than kMaxDatagram are dropped.
    struct Received
    {
        Bytes data;
        std::uint32_t from = 0;
        std::uint16_t fromPort = 0;
    };
    [[nodiscard]] std::optional<Received> tryReceive();

private:
    SocketHandle handle_ = kNoSocket;
};

enum class ReceiveStatus {
    Datagram,       // one datagram of at most kMaxDatagram bytes (possibly empty)
    Oversized,      // a longer datagram, dropped whole
    NothingWaiting, // the queue is empty
    Failed,         // error holds the OS error number
};

struct ReceiveResult
{
    ReceiveStatus status = ReceiveStatus::NothingWaiting;
    UdpSocket::Received datagram;
    OsError error;
    // With the drop counter on: the datagrams the system has dropped on this socket so far.
    std::optional<std::uint32_t> dropped;
};

// What a receive call that took no datagram because of `error` comes to: an empty queue, a
// datagram dropped for its size (Windows says so), or a failure that keeps the error.
[[nodiscard]] ReceiveResult FailedReceive(OsError error);

// Takes one datagram off the socket's queue without blocking. Serves the receiver thread, which
// reads sockets it does not own, and UdpSocket::tryReceive.
[[nodiscard]] ReceiveResult ReceiveDatagram(SocketHandle socket);

// The address and port the socket is bound to; serves UdpSocket::localName and the receiver
// thread, which reads sockets it does not own.
[[nodiscard]] std::optional<UdpSocket::Name> LocalName(SocketHandle socket);

// The datagrams the system has dropped on the socket since it was created, mostly for want of
// room in its queue: the count the drop counter reports with each datagram, asked for at any
// time (SO_MEMINFO on Linux), so that drops after the last datagram read are not missed.
// nullopt where the system does not tell.
[[nodiscard]] std::optional<std::uint32_t> DroppedSoFar(SocketHandle socket);

// Waits until a datagram is waiting on the socket or the time is up (negative: no limit).
// True when one is waiting. Serves the simulator's loop and the socket tests on every system.
bool WaitReadable(SocketHandle socket, int timeoutMs);

} // namespace ktr
