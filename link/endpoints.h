// The tool's UDP side: network stack start-up, the receive socket, the ten sending endpoints
// (one per local IPv4 address) and the local address list.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/frame.h"
#include "link/udp_socket.h"

namespace ktr {

inline constexpr int kEndpointSlots = 10;
inline constexpr std::uint32_t kBroadcastAddress = 0xFFFFFFFFu;
// Replies of a thousand devices answering one search must fit the receive queue.
inline constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

// Network stack start-up and release (WSAStartup/WSACleanup on Windows, nothing on POSIX).
// Returns 0 or the OS error code.
int StartNetworkStack();
void ReleaseNetworkStack();

// IPv4 addresses (first octet most significant) of the host's up, non-loopback interfaces, in
// interface order.
std::vector<std::uint32_t> LocalIpv4Addresses();

// What box 1005 shows: the first local address in dotted form, or an empty text when the host
// has none (an address such as 0.0.0.0 would look like a real one).
std::string LocalAddressText(const std::vector<std::uint32_t> &addresses);

// The failures the window reports, each with its own message text.
enum class NetFailure {
    StackStartup,     // "网络编程启动出错"
    ReceiveSocket,    // "套接字错误,请检查错误并重新打开软件"
    ReceiveBroadcast, // "设置规则失败1"
    ReceiveReuse,     // "设置规则失败2"
    ReceiveBind,   // port 1901 cannot be had: in plain words, with the system's error text
    SlotSocket,    // "套接字创建失败"
    SlotBroadcast, // "设置socket规则失败"
    SlotReuse,     // "设置socket规则失败2"
    SlotBind,      // "绑定SOCKET出错 -1  错误代码 N"
    Send,          // "端口被占用"
    PortShared,    // another program already holds port 1901: replies may go to it
};
// The message text of a failure; osError fills in the bind messages' error code and text.
std::string FailureMessage(NetFailure failure, int osError);

// Called for every failure; the window shows a message box and carries on.
using FailureReporter = std::function<void(NetFailure, int osError)>;

// True when another socket already holds the port on the wildcard address or shares it.
bool PortHeldElsewhere(std::uint16_t port);

// The process-wide receive socket (with one warning first when another program holds the port):
// broadcast and address reuse on, a large receive buffer, bound to 0.0.0.0:1901. Failures are
// reported and start-up goes on.
UdpSocket OpenReceiveSocket(const FailureReporter &report);

struct EndpointSlot
{
    std::uint32_t localAddress = 0;
    UdpSocket socket;
    bool open = false;
};

// Told which slot sockets the receiver is to read (ReceiverThread::setSlotSockets): before any
// slot socket is closed, the set without the sockets about to close; after a refresh that
// opened sockets, the new set.
using SlotSocketsListener = std::function<void(std::vector<SocketHandle>)>;

// The ten sending endpoints of the main window.
class Endpoints
{
public:
    // Slot i follows address i (at most ten): an open slot with an unchanged address keeps its
    // socket; any other slot is closed and reopened on the new address. Slots beyond the list
    // are closed: their address is gone, and sending through them could only fail. A slot
    // that fails to open is left closed with open = false.
    void refresh(const std::vector<std::uint32_t> &addresses, const FailureReporter &report);
    // Sends the datagram through every open slot to the destination, 255.255.255.255:1901.
    // Returns the number of slots it left through.
    int SendToAll(ByteView datagram, const FailureReporter &report);
    // Closes every open slot's socket (the open flags stay as they are; a later refresh reopens
    // such a slot).
    void closeAll();

    void setSlotSocketsListener(SlotSocketsListener listener) { listener_ = std::move(listener); }
    // Where SendToAll sends; tests send to a loopback socket instead of broadcasting.
    void setDestination(std::uint32_t address, std::uint16_t port);

    const EndpointSlot &slot(int i) const { return slots_[static_cast<std::size_t>(i)]; }
    // Native handles of the open slots, for the receiver (unicast replies land on them).
    std::vector<SocketHandle> openHandles() const;

private:
    std::vector<SocketHandle> openHandlesExcept(const std::vector<int> &leaving) const;

    std::array<EndpointSlot, kEndpointSlots> slots_{};
    SlotSocketsListener listener_;
    std::uint32_t destination_ = kBroadcastAddress;
    std::uint16_t destinationPort_ = kPort;
};

} // namespace ktr
