// The receive socket, the endpoint slots and the failure texts the window shows.
#include "link/endpoints.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace ktr {
namespace {

// Runs the outcome of one set-up step through the reporter; true when it succeeded.
bool Succeeded(const OsStatus &status, NetFailure failure, const FailureReporter &report)
{
    if (status)
        return true;
    if (report)
        report(failure, status.error().code);
    return false;
}

// Opens the slot's socket on the address: broadcast and address reuse on, readied for the
// unicast replies that come back to it, bound to port 1901.
// Stops at the first failing step; the slot then stays closed.
void OpenSlot(EndpointSlot &slot, std::uint32_t address, const FailureReporter &report)
{
    slot.socket.close();
    slot.open = false;
    slot.localAddress = address;
    UdpSocket &s = slot.socket;
    slot.open = Succeeded(s.create(), NetFailure::SlotSocket, report) &&
                Succeeded(s.setBroadcast(true), NetFailure::SlotBroadcast, report) &&
                Succeeded(s.setReuseAddress(true), NetFailure::SlotReuse, report);
    if (slot.open) {
        PrepareForReplies(s);
        slot.open = Succeeded(s.bind(address, kPort), NetFailure::SlotBind, report);
    }
    if (!slot.open)
        s.close();
}

} // namespace

int ReceiveQueueBytes()
{
    // Read at each use, so that a test may set it for the sockets it opens next.
    const char *text = std::getenv("KTR_RECEIVE_QUEUE_BYTES");
    if (text == nullptr || *text == '\0')
        return kReceiveBufferBytes;
    int bytes = 0;
    const char *end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, bytes);
    return error == std::errc() && stop == end && bytes > 0 ? bytes : kReceiveBufferBytes;
}

void PrepareForReplies(UdpSocket &socket)
{
    (void)socket.setReceiveBuffer(ReceiveQueueBytes());
    // Where the system can count what a full queue drops, the user is told of it.
    (void)socket.setDropCounter(true);
}

std::string LocalAddressText(const std::vector<std::uint32_t> &addresses)
{
    if (addresses.empty())
        return {};
    const std::uint32_t a = addresses.front();
    return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 0xFFu) + '.' +
           std::to_string((a >> 8) & 0xFFu) + '.' + std::to_string(a & 0xFFu);
}

bool PortHeldElsewhere(std::uint16_t port)
{
    // Address reuse lets two programs bind the port without a word, and the unicast replies
    // then go to one of them only. A bind without reuse tells whether someone holds it.
    UdpSocket probe;
    return probe.create() && !probe.bind(0, port);
}

UdpSocket OpenReceiveSocket(const FailureReporter &report)
{
    // Asked before our own bind, which would hold the port too. Only a bind that succeeds next
    // to another holder is worth the warning: a failing one has its own message.
    const bool shared = PortHeldElsewhere(kPort);
    UdpSocket s;
    // Without a socket the option and bind steps could only fail again; they are skipped.
    if (!Succeeded(s.create(), NetFailure::ReceiveSocket, report))
        return s;
    (void)Succeeded(s.setBroadcast(true), NetFailure::ReceiveBroadcast, report);
    (void)Succeeded(s.setReuseAddress(true), NetFailure::ReceiveReuse, report);
    PrepareForReplies(s);
    // Without the bind no reply ever arrives: the user is told, with the bind message the
    // sending endpoints use, and the tool goes on.
    if (!Succeeded(s.bind(0, kPort), NetFailure::ReceiveBind, report))
        s.close();
    else if (shared && report)
        report(NetFailure::PortShared, 0);
    return s;
}

void Endpoints::refresh(const std::vector<std::uint32_t> &addresses, const FailureReporter &report)
{
    const int count = std::min(static_cast<int>(addresses.size()), kEndpointSlots);
    std::vector<int> renewed;
    std::vector<int> gone;
    for (int i = 0; i < kEndpointSlots; ++i) {
        const EndpointSlot &s = slots_[static_cast<std::size_t>(i)];
        if (i >= count) {
            if (s.open)
                gone.push_back(i);
        } else if (!(s.open && s.socket.isValid() &&
                     s.localAddress == addresses[static_cast<std::size_t>(i)])) {
            renewed.push_back(i);
        }
    }
    if (renewed.empty() && gone.empty())
        return;
    std::vector<int> leaving = renewed;
    leaving.insert(leaving.end(), gone.begin(), gone.end());
    // The receiver lets go of the sockets about to be closed before they are closed.
    if (listener_)
        listener_(openHandlesExcept(leaving));
    for (int i : gone) {
        EndpointSlot &s = slots_[static_cast<std::size_t>(i)];
        s.socket.close();
        s.open = false;
    }
    for (int i : renewed)
        OpenSlot(slots_[static_cast<std::size_t>(i)], addresses[static_cast<std::size_t>(i)],
                 report);
    if (listener_)
        listener_(openHandles());
}

int Endpoints::SendToAll(ByteView datagram, const FailureReporter &report)
{
    int sent = 0;
    for (EndpointSlot &s : slots_) {
        if (s.open && Succeeded(s.socket.sendTo(datagram, destination_, destinationPort_),
                                NetFailure::Send, report))
            ++sent;
    }
    return sent;
}

void Endpoints::closeAll()
{
    if (listener_)
        listener_({});
    for (EndpointSlot &s : slots_) {
        if (s.open)
            s.socket.close();
    }
}

void Endpoints::setDestination(std::uint32_t address, std::uint16_t port)
{
    destination_ = address;
    destinationPort_ = port;
}

std::vector<SocketHandle> Endpoints::openHandles() const
{
    return openHandlesExcept({});
}

std::vector<SocketHandle> Endpoints::openHandlesExcept(const std::vector<int> &leaving) const
{
    std::vector<SocketHandle> handles;
    for (int i = 0; i < kEndpointSlots; ++i) {
        const EndpointSlot &s = slots_[static_cast<std::size_t>(i)];
        if (s.open && s.socket.isValid() &&
            std::find(leaving.begin(), leaving.end(), i) == leaving.end())
            handles.push_back(s.socket.handle());
    }
    return handles;
}

} // namespace ktr
