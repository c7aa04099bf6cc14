// ktr-sim: simulated KTR-4410-HT-LAN devices answering on UDP port 1901.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "link/endpoints.h"
#include "ops/text_convert.h"
#include "tools/sim/fleet.h"
#include "tools/sim/sim_log.h"
#include "tools/sim/sim_options.h"
#include "tools/sim/sim_socket.h"
#include "tools/sim/stop_signal.h"

namespace {

// A reply waiting for its time, with where it goes.
struct Pending
{
    ktr::Bytes datagram;
    std::uint32_t address = 0;
    int interfaceIndex = 0;
};
using PendingReplies = std::multimap<ktr::SimClock::time_point, Pending>;

// Sends the replies that are due, in one batch, oldest first.
void SendDue(ktr::SimSocket &socket, PendingReplies &pending, ktr::SimLog &log)
{
    const auto due = pending.upper_bound(ktr::SimClock::now());
    if (due == pending.begin())
        return;
    std::vector<ktr::AddressedDatagram> batch;
    for (auto it = pending.begin(); it != due; ++it) {
        const Pending &p = it->second;
        batch.push_back({p.datagram, p.address, ktr::kPort, p.interfaceIndex});
    }
    const ktr::BatchResult result = socket.sendBatch(batch);
    if (result.failed > 0) {
        std::fprintf(stderr, "ktr-sim: %zu of %zu replies not sent: %s\n", result.failed,
                     batch.size(), std::strerror(result.lastError));
    }
    log.repliesSent(batch.size() - result.failed, result.failed);
    pending.erase(pending.begin(), due);
}

// Queues the replies of a request for their time, to the requester or by broadcast.
void Schedule(ktr::Handling &handling, const ktr::ReceivedRequest &request, PendingReplies &pending)
{
    for (ktr::Outgoing &out : handling.replies) {
        const std::uint32_t to =
            out.delivery == ktr::Delivery::Unicast ? request.from : ktr::kBroadcastAddress;
        pending.emplace(out.sendAt, Pending{std::move(out.datagram), to, request.interfaceIndex});
    }
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
    if (!parsed.options) {
        std::fprintf(stderr, "ktr-sim: %s (see ktr-sim --help)\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options->help) {
        std::fputs(ktr::SimHelpText().c_str(), stdout);
        return 0;
    }
    if (!ktr::InstallStopSignals()) {
        std::perror("ktr-sim: signals");
        return 1;
    }
    ktr::Fleet fleet(parsed.options->fleet);
    ktr::SimSocket socket;
    const std::string failure = socket.open(ktr::kPort);
    if (!failure.empty()) {
        std::fprintf(stderr, "ktr-sim: %s\n", failure.c_str());
        return 1;
    }
    ktr::SimLog log(stdout, parsed.options->quiet);
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
                Schedule(handling, *request, pending);
                SendDue(socket, pending, log);
                log.request(handling.lines);
                handling.replies.clear();
                handling.lines.clear();
            };
            ktr::Handling handling = fleet.handle(request->data, ktr::SimClock::now(), take);
            take(handling);
            log.requestDone();
        }
        SendDue(socket, pending, log);
        // Nothing is waiting to be received: time to write the log.
        log.flush();
    }
    log.announce("stopped");
    return 0;
}
