// The ideal sender of the discovery benchmark: it answers every search with N ready-made
// search replies, sent in sendmmsg batches straight from memory, so that a floor measured
// against it is the network's and not the simulator's. Run in the lab's devices namespace.
//   ideal_replier --devices N [--spread-ms S]
// Without --spread-ms the replies leave as one burst; with it they are spread evenly over
// S milliseconds, one batch per millisecond. Prints "ready", then per search the summary line
// ktr-sim --quiet prints ("summary: 1 requests, K replies sent"); SIGTERM or SIGINT end it.
#include "link/endpoints.h"
#include "ops/search_reply.h"
#include "tools/parse_number.h"
#include "tools/sim/sim_device.h"
#include "tools/sim/sim_socket.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnStopSignal(int)
{
    gStop = 1;
}

struct Options
{
    std::size_t devices = 1;
    int spreadMs = 0;
};

std::optional<Options> ParseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view arg = argv[i];
        const std::string_view value = argv[i + 1];
        if (arg == "--devices") {
            const auto n = ktr::ParseNumber<std::size_t>(value, 1, 100000);
            if (!n)
                return std::nullopt;
            options.devices = *n;
        } else if (arg == "--spread-ms") {
            const auto ms = ktr::ParseNumber<int>(value, 0, 600000);
            if (!ms)
                return std::nullopt;
            options.spreadMs = *ms;
        } else {
            return std::nullopt;
        }
    }
    if (argc % 2 == 0)
        return std::nullopt;
    return options;
}

// The replies of devices 192.168.0.10 + k, MAC 00-0E-EB-00-00-01 + k, as ktr-sim sends them.
std::vector<ktr::Bytes> ReadyMadeReplies(std::size_t devices)
{
    constexpr std::uint32_t kFirstIp = 0xC0A8000Au;
    const ktr::MacAddress firstMac{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x01};
    std::vector<ktr::Bytes> replies;
    replies.reserve(devices);
    for (std::size_t k = 0; k < devices; ++k) {
        const ktr::SearchReply reply{static_cast<std::uint32_t>(kFirstIp + k),
                                     ktr::OffsetMac(firstMac, k), 288, ktr::kDeviceName};
        replies.push_back(ktr::EncodeSearchReply(reply));
    }
    return replies;
}

bool IsSearch(ktr::ByteView request)
{
    const ktr::Bytes search = ktr::EncodeSearchRequest();
    return std::equal(request.begin(), request.end(), search.begin(), search.end());
}

// Sends replies [first, last) by broadcast through the interface, a few hundred per call, each
// call's addresses laid out just before it so that the first replies leave at once. Returns
// how many were sent.
std::size_t SendRange(ktr::SimSocket &socket, const std::vector<ktr::Bytes> &replies,
                      std::size_t first, std::size_t last, int interfaceIndex)
{
    constexpr std::size_t kPerCall = 1024;
    std::vector<ktr::AddressedDatagram> call;
    call.reserve(kPerCall);
    std::size_t sent = 0;
    for (std::size_t start = first; start < last; start += kPerCall) {
        call.clear();
        for (std::size_t k = start; k < std::min(last, start + kPerCall); ++k)
            call.push_back({replies[k], ktr::kBroadcastAddress, ktr::kPort, interfaceIndex});
        sent += call.size() - socket.sendBatch(call).failed;
    }
    return sent;
}

std::size_t Answer(ktr::SimSocket &socket, const std::vector<ktr::Bytes> &replies,
                   int interfaceIndex, int spreadMs)
{
    if (spreadMs == 0)
        return SendRange(socket, replies, 0, replies.size(), interfaceIndex);
    std::size_t sent = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto slots = static_cast<std::size_t>(spreadMs);
    for (std::size_t slot = 0; slot < slots && !gStop; ++slot) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(slot));
        sent += SendRange(socket, replies, replies.size() * slot / slots,
                          replies.size() * (slot + 1) / slots, interfaceIndex);
    }
    return sent;
}

} // namespace

int main(int argc, char **argv)
{
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fputs("Usage: ideal_replier --devices N [--spread-ms S]\n", stderr);
        return 2;
    }
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
    const std::vector<ktr::Bytes> replies = ReadyMadeReplies(options->devices);
    ktr::SimSocket socket;
    if (const ktr::Status<std::string> opened = socket.open(ktr::kPort); !opened) {
        std::fprintf(stderr, "ideal_replier: %s\n", opened.error().c_str());
        return 1;
    }
    std::printf("ready: %zu ready-made replies\n", replies.size());
    std::fflush(stdout);
    while (!gStop) {
        pollfd p{socket.handle(), POLLIN, 0};
        ::poll(&p, 1, 100);
        while (auto request = socket.receive()) {
            if (!IsSearch(request->data))
                continue;
            const std::size_t sent =
                Answer(socket, replies, request->interfaceIndex, options->spreadMs);
            std::printf("summary: 1 requests, %zu replies sent\n", sent);
            std::fflush(stdout);
        }
    }
    std::printf("stopped\n");
    return 0;
}
