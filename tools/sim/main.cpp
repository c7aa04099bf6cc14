// ktr-sim: simulated KTR-4410-HT-LAN devices answering on UDP port 1901.
#include <cstdio>
#include <cstring>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "link/endpoints.h"
#include "ops/text_convert.h"
#include "tools/sim/fleet.h"
#include "tools/sim/sim_log.h"
#include "tools/sim/sim_options.h"
#include "tools/sim/sim_socket.h"
#include "tools/sim/stop_signal.h"

#ifndef KTR_VERSION
#define KTR_VERSION "0"
#endif

namespace {

// A reply waiting for its time, with where it goes.
struct Pending
{
    ktr::Bytes datagram;
    std::uint32_t address = 0;
    int interfaceIndex = 0;
};
using PendingReplies = std::multimap<ktr::SimClock::time_point, Pending>;

// The replies of one request, with where the request came from.
struct Fresh
{
    std::span<ktr::Outgoing> replies;
    std::uint32_t requester = 0;
    int interfaceIndex = 0;

    // Unicast replies go back to the requester, the others by broadcast.
    std::uint32_t destination(const ktr::Outgoing &out) const
    {
        return out.delivery == ktr::Delivery::Unicast ? requester : ktr::kBroadcastAddress;
    }
};

// Sends the replies that are due in one batch: the waiting ones whose time has come, oldest
// first, then the fresh ones that need no waiting. Fresh replies for later wait their turn.
void SendDue(ktr::SimSocket &socket, PendingReplies &pending, ktr::SimLog &log, Fresh fresh = {})
{
    const ktr::SimClock::time_point now = ktr::SimClock::now();
    const auto due = pending.upper_bound(now);
    std::vector<ktr::AddressedDatagram> batch;
    batch.reserve(fresh.replies.size());
    for (auto it = pending.begin(); it != due; ++it) {
        const Pending &p = it->second;
        batch.push_back({p.datagram, p.address, ktr::kPort, p.interfaceIndex});
    }
    for (const ktr::Outgoing &out : fresh.replies) {
        if (out.sendAt <= now)
            batch.push_back(
                {out.datagram, fresh.destination(out), ktr::kPort, fresh.interfaceIndex});
    }
    if (!batch.empty()) {
        const ktr::BatchResult result = socket.sendBatch(batch);
        if (result.failed > 0) {
            std::fprintf(stderr, "ktr-sim: %zu of %zu replies not sent: %s\n", result.failed,
                         batch.size(), ktr::SocketErrorText(result.lastError.code).c_str());
        }
        log.repliesSent(batch.size() - result.failed, result.failed);
    }
    pending.erase(pending.begin(), due);
    for (ktr::Outgoing &out : fresh.replies) {
        if (out.sendAt > now)
            pending.emplace(out.sendAt, Pending{std::move(out.datagram), fresh.destination(out),
                                                fresh.interfaceIndex});
    }
}

// Hands what a request produced so far to the network, then to the log.
void Take(ktr::Handling &handling, const ktr::ReceivedRequest &request, const ktr::Fleet &fleet,
          ktr::SimSocket &socket, PendingReplies &pending, ktr::SimLog &log)
{
    SendDue(socket, pending, log, {handling.replies, request.from, request.interfaceIndex});
    log.request(handling.lines);
    if (!handling.searched.empty()) {
        const std::size_t bytes = handling.searched.size() * sizeof(ktr::SearchNote);
        log.requestLater([&fleet, notes = std::move(handling.searched)](
                             std::string &text) { fleet.describeSearch(notes, text); },
                         bytes);
    }
    handling.replies.clear();
    handling.lines.clear();
    handling.searched.clear();
}

int WaitMilliseconds(const PendingReplies &pending)
{
    if (pending.empty())
        return -1;
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(pending.begin()->first - ktr::SimClock::now());
    return wait.count() < 0 ? 0 : static_cast<int>(wait.count());
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ktr::ParsedSimOptions parsed = ktr::ParseSimOptions(args);
    if (!parsed) {
        std::fprintf(stderr, "ktr-sim: %s (see ktr-sim --help)\n", parsed.error().c_str());
        return 2;
    }
    if (parsed->version) {
        std::puts("ktr-sim " KTR_VERSION);
        return 0;
    }
    if (parsed->help) {
        std::fputs(ktr::SimHelpText().c_str(), stdout);
        return 0;
    }
    if (!ktr::InstallStopSignals()) {
        std::perror("ktr-sim: signals");
        return 1;
    }
    ktr::Fleet fleet(parsed->fleet);
    ktr::SimSocket socket;
    if (const ktr::Status<std::string> opened = socket.open(ktr::kPort); !opened) {
        std::fprintf(stderr, "ktr-sim: %s\n", opened.error().c_str());
        return 1;
    }
    ktr::SimLog log(stdout, parsed->quiet);
    log.announce("ready: " + std::to_string(fleet.size()) +
                 " devices on 0.0.0.0:" + std::to_string(ktr::kPort));

    PendingReplies pending;
    while (!ktr::StopRequested()) {
        ktr::WaitForRequest(socket.handle(), WaitMilliseconds(pending));
        while (!ktr::StopRequested()) {
            auto request = socket.receive();
            if (!request)
                break;
            // The replies leave before their log lines are even gathered.
            const auto take = [&](ktr::Handling &handling) {
                Take(handling, *request, fleet, socket, pending, log);
            };
            ktr::Handling handling = fleet.handle(request->data, ktr::SimClock::now(), take);
            take(handling);
            if (!handling.echo)
                log.requestDone();
        }
        SendDue(socket, pending, log);
        // Nothing is waiting to be received: time to write the log.
        log.flush();
    }
    log.announce("stopped");
    return 0;
}
