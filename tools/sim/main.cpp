// ktr-sim: simulated KTR-4410-HT-LAN devices answering on UDP port 1901.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "link/endpoints.h"
#include "ops/text_convert.h"
#include "tools/sim/fleet.h"
#include "tools/sim/sim_options.h"
#include "tools/sim/sim_socket.h"
#include "tools/sim/stop_signal.h"

namespace {

void PrintLine(const std::string &line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A reply waiting for its time, with where it goes.
struct Pending
{
    ktr::Bytes datagram;
    std::uint32_t address = 0;
    int interfaceIndex = 0;
};

void SendDue(ktr::SimSocket &socket, std::multimap<ktr::SimClock::time_point, Pending> &pending)
{
    const auto now = ktr::SimClock::now();
    while (!pending.empty() && pending.begin()->first <= now) {
        const Pending &p = pending.begin()->second;
        const int error = socket.send(p.datagram, p.address, ktr::kPort, p.interfaceIndex);
        if (error != 0) {
            std::fprintf(stderr, "ktr-sim: send to %s failed: %s\n",
                         ktr::FormatDottedAddress(p.address).c_str(), std::strerror(error));
        }
        pending.erase(pending.begin());
    }
}

int WaitMilliseconds(const std::multimap<ktr::SimClock::time_point, Pending> &pending)
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
    PrintLine("ready: " + std::to_string(fleet.size()) +
              " devices on 0.0.0.0:" + std::to_string(ktr::kPort));

    std::multimap<ktr::SimClock::time_point, Pending> pending;
    while (!ktr::StopRequested()) {
        ktr::WaitForRequest(socket.handle(), WaitMilliseconds(pending));
        while (!ktr::StopRequested()) {
            auto request = socket.receive();
            if (!request)
                break;
            const auto now = ktr::SimClock::now();
            ktr::Handling handling = fleet.handle(request->data, now);
            for (const std::string &line : handling.lines)
                PrintLine(line);
            for (ktr::Outgoing &out : handling.replies) {
                const std::uint32_t to =
                    out.delivery == ktr::Delivery::Unicast ? request->from : ktr::kBroadcastAddress;
                pending.emplace(out.sendAt,
                                Pending{std::move(out.datagram), to, request->interfaceIndex});
            }
            SendDue(socket, pending);
        }
        SendDue(socket, pending);
    }
    PrintLine("stopped");
    return 0;
}
