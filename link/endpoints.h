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
// Replies of twenty thousand devices answering one search must fit the receive queue: each
// short datagram costs the kernel about a kilobyte of bookkeeping. Linux grants more than
// net.core.rmem_max only to a process allowed to force it (root or CAP_NET_ADMIN).
inline constexpr int kReceiveBufferBytes = 16 * 1024 * 1024;

// The receive queue size asked for: kReceiveBufferBytes, or the number of bytes in the
// environment variable KTR_RECEIVE_QUEUE_BYTES, which lets a test or a support session see how
// the tool behaves when the system drops replies.
int ReceiveQueueBytes();

// Readies a socket that replies can land on - the receive socket, and every endpoint socket,
// which unicast replies to its address reach - with the large receive queue and the drop
// counter. A smaller queue still works, it only holds fewer replies, so failures are not
// reported.
void PrepareForReplies(UdpSocket &socket);

// IPv4 addresses (first octet most significant) of the host's up, non-loopback interfaces, in
// interface order.
std::vector<std::uint32_t> LocalIpv4Addresses();

// What the window's local address field shows: the first local address in dotted form, or an
// empty text when the host has none (an address such as 0.0.0.0 would look like a real one).
std::string LocalAddressText(const std::vector<std::uint32_t> &addresses);

// The failures the window reports, each with its own message text.
enum class NetFailure {
    StackStartup,     // the network stack did not start
    ReceiveSocket,    // no receive socket
    ReceiveBroadcast, // the receive socket refused broadcast
    ReceiveReuse,     // the receive socket refused address reuse
    ReceiveBind,      // port 1901 not bound: without it no reply would ever arrive
    SlotSocket,       // no socket for a sending endpoint
    SlotBroadcast,    // a sending endpoint refused broadcast
    SlotReuse,        // a sending endpoint refused address reuse
    SlotBind,         // a sending endpoint's address not bound
    Send,             // a datagram was not sent
    PortShared,       // another program already holds port 1901: replies may go to it
};
// The texts the user reads are in res/texts/failure_texts.h.

// Called for every failure; the window shows a message box and carries on.
using FailureReporter = std::function<void(NetFailure, int osError)>;

// True when another socket already holds the port on the wildcard address or shares it.
bool PortHeldElsewhere(std::uint16_t port);

// The process-wide receive socket (with one warning first when another program holds the port):
// broadcast and address reuse on, readied for replies, bound to 0.0.0.0:1901. Failures are
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
    // Native handles of the open slots, for the receiver (unicast replies land on them; each is
    // readied for replies as the receive socket is).
    std::vector<SocketHandle> openHandles() const;

private:
    std::vector<SocketHandle> openHandlesExcept(const std::vector<int> &leaving) const;

    std::array<EndpointSlot, kEndpointSlots> slots_{};
    SlotSocketsListener listener_;
    std::uint32_t destination_ = kBroadcastAddress;
    std::uint16_t destinationPort_ = kPort;
};

} // namespace ktr
