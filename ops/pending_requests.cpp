// Bookkeeping of the requests that wait for an answer.
#include "ops/pending_requests.h"

#include <algorithm>

namespace ktr {

std::optional<ReplyKey> KeyOfReply(const Datagram &d)
{
    ReplyKey key{d.device, Awaited::NetworkBlock};
    if (d.kind == DatagramKind::NetworkReply)
        return key;
    if (d.kind != DatagramKind::TunnelReply || d.tunnel.status != TunnelStatus::Accepted)
        return std::nullopt;
    if (d.tunnel.function == kTunnelReadBlock && d.tunnel.body.size() == kDeviceBodySize)
        key.awaited = Awaited::DeviceBlock;
    else if (d.tunnel.function == kTunnelWriteBlock)
        key.awaited = Awaited::DeviceWriteAck;
    else
        return std::nullopt;
    return key;
}

void PendingRequests::add(PendingRequest request)
{
    request.sent = false;
    request.attempts = 0;
    if (PendingRequest *existing = find(request.key))
        *existing = std::move(request);
    else
        entries_.push_back(std::move(request));
}

void PendingRequests::addSent(PendingRequest request, SteadyTime now)
{
    const ReplyKey key = request.key;
    request.sendAt = now;
    add(std::move(request));
    PendingRequest &entry = *find(key);
    entry.sent = true;
    entry.attempts = 1;
    entry.deadline = now + entry.attemptTimeout;
}

std::optional<PendingRequest> PendingRequests::match(const ReplyKey &key)
{
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const PendingRequest &e) { return e.key == key; });
    if (it == entries_.end()) {
        ++ignored_;
        return std::nullopt;
    }
    PendingRequest taken = std::move(*it);
    entries_.erase(it);
    return taken;
}

DueRequests PendingRequests::due(SteadyTime now)
{
    DueRequests out;
    for (auto it = entries_.begin(); it != entries_.end();) {
        PendingRequest &e = *it;
        const bool firstSend = !e.sent && e.sendAt <= now;
        const bool timedOut = e.sent && e.deadline <= now;
        const bool untilGiveUp = e.giveUpAt != SteadyTime{};
        if (timedOut) {
            const bool mayRetry = untilGiveUp ? now < e.giveUpAt : e.attempts <= e.retries;
            if (!mayRetry) {
                out.expired.push_back(std::move(e));
                it = entries_.erase(it);
                continue;
            }
        }
        if (firstSend || timedOut) {
            e.sent = true;
            ++e.attempts;
            // The last attempt ends at the give-up time, not an attempt's length before it.
            e.deadline =
                untilGiveUp ? std::min(now + e.attemptTimeout, e.giveUpAt) : now + e.attemptTimeout;
            out.toSend.push_back(e);
        }
        ++it;
    }
    return out;
}

PendingRequest *PendingRequests::find(const ReplyKey &key)
{
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const PendingRequest &e) { return e.key == key; });
    return it == entries_.end() ? nullptr : &*it;
}

void PendingRequests::cancel(Purpose purpose)
{
    std::erase_if(entries_, [purpose](const PendingRequest &e) { return e.purpose == purpose; });
}

std::optional<SteadyTime> PendingRequests::nextWake() const
{
    std::optional<SteadyTime> wake;
    for (const PendingRequest &e : entries_) {
        const SteadyTime t = e.sent ? e.deadline : e.sendAt;
        if (!wake || t < *wake)
            wake = t;
    }
    return wake;
}

} // namespace ktr
