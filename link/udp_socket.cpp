// The UDP socket over BSD sockets or Winsock 2, network stack start-up, and the test seam.
#include "link/udp_socket.h"

#include "link/endpoints.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include "link/winsock.h"
#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif
#else
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/pktinfo_receive.h"
#endif
#ifdef __linux__
#include <linux/sock_diag.h>
#endif

namespace ktr {
namespace {

#ifdef _WIN32
using AddressLength = int;
#else
using AddressLength = socklen_t;
#endif

bool IsWouldBlock(int error)
{
#ifdef _WIN32
    return error == WSAEWOULDBLOCK;
#else
    return error == EAGAIN || error == EWOULDBLOCK;
#endif
}

// Windows discards a datagram longer than the buffer and says so; POSIX cuts it silently.
bool IsOversizedError([[maybe_unused]] int error)
{
#ifdef _WIN32
    return error == WSAEMSGSIZE;
#else
    return false;
#endif
}

SocketCallSeam &Seam()
{
    static SocketCallSeam seam;
    return seam;
}

// Ok() to run the call, or the failure a test has injected for it.
OsStatus Injected(SocketCall call, SocketHandle socket)
{
    const SocketCallSeam &seam = Seam();
    return seam ? seam(call, socket) : Ok();
}

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(address);
    a.sin_port = htons(port);
    return a;
}

// The outcome of a system call that returns 0 on success and sets the last socket error.
OsStatus CallStatus(int result)
{
    if (result == 0)
        return Ok();
    return Fail(LastSocketError());
}

OsStatus SetIntOption(SocketHandle socket, int level, int option, int value)
{
    return CallStatus(::setsockopt(socket, level, option, reinterpret_cast<const char *>(&value),
                                   static_cast<AddressLength>(sizeof value)));
}

void CloseHandle(SocketHandle socket)
{
#ifdef _WIN32
    ::closesocket(socket);
#else
    ::close(socket);
#endif
}

#ifdef _WIN32
// Receiving must never block the receiver thread, which drains each socket until it is empty
// and has no MSG_DONTWAIT here; and a UDP socket must not report WSAECONNRESET on receive after
// one of its sends drew an ICMP "port unreachable".
OsStatus PrepareWindowsSocket(SocketHandle socket)
{
    u_long nonBlocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0)
        return Fail(LastSocketError());
    BOOL reportReset = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(socket, SIO_UDP_CONNRESET, &reportReset, sizeof reportReset, nullptr, 0, &returned,
               nullptr, nullptr);
    return Ok();
}
#endif

} // namespace

OsError LastSocketError()
{
#ifdef _WIN32
    return {::WSAGetLastError()};
#else
    return {errno};
#endif
}

std::string SocketErrorText(int osError)
{
#ifdef _WIN32
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(osError), 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0) {
        const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length),
                                                nullptr, 0, nullptr, nullptr);
        text.resize(static_cast<std::size_t>(bytes));
        ::WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), text.data(), bytes,
                              nullptr, nullptr);
    }
    ::LocalFree(buffer);
#else
    std::string text = std::system_category().message(osError);
#endif
    // Windows ends its texts with a full stop and a line break; the box adds its own layout.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

int AddressInUseError()
{
#ifdef _WIN32
    return WSAEADDRINUSE;
#else
    return EADDRINUSE;
#endif
}

void SetSocketCallSeam(SocketCallSeam seam)
{
    Seam() = std::move(seam);
}

OsStatus StartNetworkStack()
{
#ifdef _WIN32
    WSADATA data{};
    // WSAStartup gives its error as its result; the last-error value is not set.
    if (const int error = ::WSAStartup(MAKEWORD(2, 2), &data))
        return Fail(OsError{error});
#endif
    return Ok();
}

void ReleaseNetworkStack()
{
#ifdef _WIN32
    ::WSACleanup();
#endif
}

UdpSocket::~UdpSocket()
{
    close();
}

UdpSocket::UdpSocket(UdpSocket &&other) noexcept
    : handle_(std::exchange(other.handle_, kNoSocket))
{
}

UdpSocket &UdpSocket::operator=(UdpSocket &&other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, kNoSocket);
    }
    return *this;
}

OsStatus UdpSocket::create()
{
    close();
    if (OsStatus injected = Injected(SocketCall::Create, kNoSocket); !injected)
        return injected;
#if defined(SOCK_CLOEXEC)
    // Helper processes started by the tool or its tests must not inherit port 1901.
    const SocketHandle s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
#else
    const SocketHandle s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
#endif
    if (s == kNoSocket)
        return Fail(LastSocketError());
#ifdef _WIN32
    if (OsStatus prepared = PrepareWindowsSocket(s); !prepared) {
        CloseHandle(s);
        return prepared;
    }
#endif
    handle_ = s;
    return Ok();
}

void UdpSocket::close()
{
    if (handle_ == kNoSocket)
        return;
    (void)Injected(SocketCall::Close, handle_);
    CloseHandle(std::exchange(handle_, kNoSocket));
}

OsStatus UdpSocket::setBroadcast(bool on)
{
    if (OsStatus injected = Injected(SocketCall::SetBroadcast, handle_); !injected)
        return injected;
    return SetIntOption(handle_, SOL_SOCKET, SO_BROADCAST, on ? 1 : 0);
}

OsStatus UdpSocket::setReuseAddress(bool on)
{
    if (OsStatus injected = Injected(SocketCall::SetReuse, handle_); !injected)
        return injected;
    return SetIntOption(handle_, SOL_SOCKET, SO_REUSEADDR, on ? 1 : 0);
}

OsStatus UdpSocket::setReceiveBuffer(int bytes)
{
#ifdef SO_RCVBUFFORCE
    // Needs CAP_NET_ADMIN; without it SO_RCVBUF below is capped at net.core.rmem_max.
    if (SetIntOption(handle_, SOL_SOCKET, SO_RCVBUFFORCE, bytes))
        return Ok();
#endif
    return SetIntOption(handle_, SOL_SOCKET, SO_RCVBUF, bytes);
}

OsStatus UdpSocket::setDropCounter([[maybe_unused]] bool on)
{
#ifdef SO_RXQ_OVFL
    return SetIntOption(handle_, SOL_SOCKET, SO_RXQ_OVFL, on ? 1 : 0);
#elif defined(_WIN32)
    return Fail(OsError{WSAENOPROTOOPT});
#else
    return Fail(OsError{ENOPROTOOPT});
#endif
}

OsStatus UdpSocket::bind(std::uint32_t address, std::uint16_t port)
{
    if (OsStatus injected = Injected(SocketCall::Bind, handle_); !injected)
        return injected;
    const sockaddr_in a = MakeAddress(address, port);
    return CallStatus(::bind(handle_, reinterpret_cast<const sockaddr *>(&a),
                             static_cast<AddressLength>(sizeof a)));
}

OsStatus UdpSocket::sendTo(ByteView datagram, std::uint32_t address, std::uint16_t port)
{
    if (OsStatus injected = Injected(SocketCall::Send, handle_); !injected)
        return injected;
    const sockaddr_in a = MakeAddress(address, port);
    for (;;) {
#ifdef _WIN32
        const int sent =
            ::sendto(handle_, reinterpret_cast<const char *>(datagram.data()),
                     static_cast<int>(datagram.size()), 0, reinterpret_cast<const sockaddr *>(&a),
                     static_cast<AddressLength>(sizeof a));
#else
        const ssize_t sent =
            ::sendto(handle_, datagram.data(), datagram.size(), 0,
                     reinterpret_cast<const sockaddr *>(&a), static_cast<AddressLength>(sizeof a));
#endif
        if (sent >= 0)
            return Ok();
        const OsError error = LastSocketError();
#ifndef _WIN32
        if (error.code == EINTR)
            continue;
#endif
        return Fail(error);
    }
}

std::optional<int> UdpSocket::receiveBufferSize() const
{
    int value = 0;
    AddressLength length = sizeof value;
    if (::getsockopt(handle_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char *>(&value), &length) !=
        0)
        return std::nullopt;
    return value;
}

std::optional<UdpSocket::Name> UdpSocket::localName() const
{
    return LocalName(handle_);
}

std::optional<UdpSocket::Name> LocalName(SocketHandle socket)
{
    sockaddr_in a{};
    AddressLength length = sizeof a;
    if (::getsockname(socket, reinterpret_cast<sockaddr *>(&a), &length) != 0 ||
        a.sin_family != AF_INET)
        return std::nullopt;
    return UdpSocket::Name{ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
}

std::optional<UdpSocket::Received> UdpSocket::tryReceive()
{
    for (;;) {
        ReceiveResult r = ReceiveDatagram(handle_);
        if (r.status == ReceiveStatus::Datagram)
            return std::move(r.datagram);
        if (r.status != ReceiveStatus::Oversized)
            return std::nullopt;
    }
}

ReceiveResult FailedReceive(OsError error)
{
    ReceiveResult result;
    result.status = IsWouldBlock(error.code)       ? ReceiveStatus::NothingWaiting
                    : IsOversizedError(error.code) ? ReceiveStatus::Oversized
                                                   : ReceiveStatus::Failed;
    if (result.status == ReceiveStatus::Failed)
        result.error = error;
    return result;
}

ReceiveResult ReceiveDatagram(SocketHandle socket)
{
    // One byte more than the largest datagram: a datagram that fills it was longer than allowed
    // (and possibly cut by the system), so it is dropped rather than delivered truncated.
    std::array<std::uint8_t, kMaxDatagram + 1> buffer;
    ReceiveResult result;
#ifdef _WIN32
    sockaddr_in from{};
    AddressLength fromLength = sizeof from;
    const int n =
        ::recvfrom(socket, reinterpret_cast<char *>(buffer.data()), static_cast<int>(buffer.size()),
                   0, reinterpret_cast<sockaddr *>(&from), &fromLength);
    if (n < 0)
        return FailedReceive(LastSocketError());
    const auto size = static_cast<std::size_t>(n);
#else
    const Result<PktinfoDatagram, OsError> d = ReceiveWithPktinfo(socket, buffer);
    if (!d)
        return FailedReceive(d.error());
    const std::size_t size = d->size;
    const sockaddr_in &from = d->from;
    result.dropped = d->dropped;
#endif
    if (size > kMaxDatagram) {
        result.status = ReceiveStatus::Oversized;
        return result;
    }
    result.status = ReceiveStatus::Datagram;
    result.datagram.data.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(size));
    result.datagram.from = ntohl(from.sin_addr.s_addr);
    result.datagram.fromPort = ntohs(from.sin_port);
    return result;
}

std::optional<std::uint32_t> DroppedSoFar([[maybe_unused]] SocketHandle socket)
{
#ifdef SO_MEMINFO
    std::array<std::uint32_t, SK_MEMINFO_VARS> info{};
    AddressLength length = sizeof info;
    if (::getsockopt(socket, SOL_SOCKET, SO_MEMINFO, info.data(), &length) != 0 ||
        length <= SK_MEMINFO_DROPS * sizeof(std::uint32_t))
        return std::nullopt;
    return info[SK_MEMINFO_DROPS];
#else
    return std::nullopt;
#endif
}

bool WaitReadable(SocketHandle socket, int timeoutMs)
{
#ifdef _WIN32
    WSAPOLLFD entry{socket, POLLRDNORM, 0};
    return ::WSAPoll(&entry, 1, timeoutMs) > 0;
#else
    pollfd entry{socket, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
#endif
}

} // namespace ktr
