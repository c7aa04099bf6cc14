// Sockets, sending and the receive loop of the command line.
#include "tools/cli/session.h"

#include <algorithm>

#include "link/arrival.h"
#include "link/slot_copies.h"
#include "ops/text_convert.h"
#include "res/texts/failure_texts.h"

namespace ktr::cli {
namespace {

// Collects the failures the socket layer reports, in its message texts.
struct FailureLog
{
    std::string text;
    int count = 0;
    FailureReporter reporter()
    {
        return [this](NetFailure failure, int osError) {
            ++count;
            if (text.empty())
                text = FailureMessage(failure, osError);
        };
    }
};

} // namespace

Session::~Session()
{
    endpoints_.closeAll();
    receiveSocket_.close();
    if (stackStarted_)
        ReleaseNetworkStack();
}

Status<std::string> Session::open(std::optional<std::uint32_t> interfaceAddress)
{
    FailureLog failures;
    if (const OsStatus started = StartNetworkStack(); !started)
        return Fail(FailureMessage(NetFailure::StackStartup, started.error().code));
    stackStarted_ = true;

    std::vector<std::uint32_t> addresses = LocalIpv4Addresses();
    if (interfaceAddress) {
        if (std::find(addresses.begin(), addresses.end(), *interfaceAddress) == addresses.end())
            return Fail("本机没有地址 " + FormatDottedAddress(*interfaceAddress));
        addresses = {*interfaceAddress};
    }
    if (addresses.empty())
        return Fail(std::string("本机没有可用的网络接口, 无法发送"));

    receiveSocket_ = OpenReceiveSocket(failures.reporter());
    if (failures.count > 0 || !receiveSocket_.isValid())
        return Fail(failures.text);
    // Without it replies still arrive, only without the interface that heard them.
    (void)EnableArrivalAddress(receiveSocket_.handle());
    endpoints_.refresh(addresses, failures.reporter());
    for (int i = 0; i < kEndpointSlots; ++i) {
        const EndpointSlot &slot = endpoints_.slot(i);
        if (slot.open) {
            (void)EnableArrivalAddress(slot.socket.handle());
            interfaces_.push_back(slot.localAddress);
        }
    }
    if (interfaces_.empty())
        return Fail(failures.text.empty() ? std::string("没有可用的发送端口") : failures.text);
    return Ok();
}

bool Session::send(ByteView request)
{
    FailureLog failures;
    endpoints_.SendToAll(request, failures.reporter());
    trace_.sent(request, interfaces_);
    return failures.count < static_cast<int>(interfaces_.size());
}

std::optional<Reply> Session::receive(Clock::time_point deadline)
{
    while (queued_.empty()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        const auto all = sockets();
        std::vector<SocketHandle> handles;
        for (const auto &[handle, address] : all)
            handles.push_back(handle);
        for (std::size_t i : WaitReadable(handles, left))
            drain(all[i].first, all[i].second);
    }
    Reply reply = std::move(queued_.front());
    queued_.pop_front();
    return reply;
}

void Session::drain(SocketHandle socket, std::uint32_t socketAddress)
{
    for (;;) {
        ArrivalResult r = ReceiveWithArrival(socket);
        if (r.received.dropped)
            drops_.note(socket, *r.received.dropped);
        if (r.received.status == ReceiveStatus::Oversized)
            continue;
        if (r.received.status != ReceiveStatus::Datagram)
            return;
        // A slot socket (socketAddress set) may hold a second copy of a broadcast.
        if (socketAddress != 0 && !CountsOnSlot(r.destination, socketAddress))
            continue;
        Reply reply{std::move(r.received.datagram.data), r.received.datagram.from,
                    r.localAddress != 0 ? r.localAddress : socketAddress};
        // Our own broadcasts come back to the receive socket; they are neither traced nor
        // taken as replies.
        if (isOwnEcho(reply))
            continue;
        trace_.received(reply.data, reply.from, reply.via);
        if (!reply.data.empty() && reply.data[0] == kReplyStart)
            queued_.push_back(std::move(reply));
    }
}

std::uint64_t Session::droppedReplies() const
{
    for (const auto &socket : sockets()) {
        if (const auto count = DroppedSoFar(socket.first))
            drops_.note(socket.first, *count);
    }
    return drops_.total();
}

std::vector<std::pair<SocketHandle, std::uint32_t>> Session::sockets() const
{
    std::vector<std::pair<SocketHandle, std::uint32_t>> all;
    if (receiveSocket_.isValid())
        all.emplace_back(receiveSocket_.handle(), 0);
    for (int i = 0; i < kEndpointSlots; ++i) {
        const EndpointSlot &slot = endpoints_.slot(i);
        if (slot.open)
            all.emplace_back(slot.socket.handle(), slot.localAddress);
    }
    return all;
}

bool Session::isOwnEcho(const Reply &datagram) const
{
    return !datagram.data.empty() && datagram.data[0] == kRequestStart &&
           std::find(interfaces_.begin(), interfaces_.end(), datagram.from) != interfaces_.end();
}

} // namespace ktr::cli
