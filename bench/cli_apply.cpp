// ktr-cli apply benchmark: the time to configure and verify N simulated devices on the lab,
// against the floor of one restart window plus one round trip, every device in parallel.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "ops/mac_text.h"
#include "tests/lab/support/cli_process.h"
#include "tests/lab/support/lab_sockets.h"
#include "tests/lab/support/raw_udp_client.h"
#include "tests/lab/support/sim_process.h"
#include "tools/parse_number.h"
#include "tools/sim/sim_device.h"

namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

constexpr double kBarRatio = 1.5;
constexpr int kRestartMs = 1500; // the simulator's default restart window
// The wait of apply's search for the addresses in use: the lab's devices all answer within a
// few milliseconds, so the default 1.5 s, meant for slow LANs, would only measure waiting.
constexpr int kSearchWaitMs = 300;

const char kUsage[] =
    "Usage: cli_apply [--devices N] [--parallel P1,P2,...]\n"
    "Run it in the lab's PC namespace:\n"
    "  scripts/lab up && scripts/lab exec -- build/main/bench/cli_apply\n"
    "KTR_SIM and KTR_CLI name the programs (default: the ones built beside it).\n";

const ktr::MacAddress kFirstMac{0x02, 0x00, 0x00, 0x00, 0x00, 0x00};

struct Options
{
    int devices = 1000;
    std::vector<int> parallel{16, 1000};
};

bool ParseOptions(int argc, char **argv, Options &options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view arg = argv[i];
        const std::string_view value = argv[i + 1];
        if (arg == "--devices") {
            const auto n = ktr::ParseNumber<int>(value, 1, 100000);
            if (!n)
                return false;
            options.devices = *n;
        } else if (arg == "--parallel") {
            options.parallel.clear();
            for (std::string_view rest = value; !rest.empty();) {
                const std::size_t comma = std::min(rest.find(','), rest.size());
                const auto p = ktr::ParseNumber<int>(rest.substr(0, comma), 1, 4096);
                if (!p)
                    return false;
                options.parallel.push_back(*p);
                rest.remove_prefix(std::min(comma + 1, rest.size()));
            }
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !options.parallel.empty();
}

// A plan that gives each device a static IP from a range and changes one device setting, so
// that every device takes both kinds of write. Each run asks for other values.
std::string WritePlan(int devices, int run)
{
    const std::string net = "10." + std::to_string(100 + run) + ".";
    std::string plan =
        R"({"static_ip_range": ")" + net + "0.1-" + net + R"(255.254", "devices": {)";
    for (int k = 0; k < devices; ++k) {
        plan += std::string(k ? "," : "") + "\"" +
                ktr::FormatMacDashed(ktr::OffsetMac(kFirstMac, static_cast<std::uint64_t>(k))) +
                R"(": {"report_interval": ")" + std::to_string(100 + run) + "\"}";
    }
    plan += "}}";
    const std::string path = "/tmp/ktr-bench-plan-" + std::to_string(run) + ".json";
    std::ofstream(path) << plan;
    return path;
}

// One network read and its reply, as the devices answer it now.
double RoundTripMs()
{
    ktr::RawUdpClient client;
    if (!client.open(ktr::kLabPc0).empty())
        return -1;
    const auto start = steady_clock::now();
    const auto replies = client.exchange(ktr::EncodeReadNetworkRequest(kFirstMac), 1000ms, 1);
    if (replies.empty())
        return -1;
    return duration<double, std::milli>(steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!ktr::InLabPc()) {
        std::fputs("cli_apply: not in the lab's PC namespace; nothing sent.\n", stderr);
        std::fputs(kUsage, stderr);
        return 2;
    }
    setenv("KTR_SIM", KTR_DEFAULT_SIM, 0);
    setenv("KTR_CLI", KTR_DEFAULT_CLI, 0);

    ktr::SimProcess sim;
    const std::string failure =
        sim.start({"--devices", std::to_string(options.devices), "--ip", "192.168.0.10", "--mac",
                   ktr::FormatMacDashed(kFirstMac), "--restart-ms", std::to_string(kRestartMs)});
    if (!failure.empty()) {
        std::fprintf(stderr, "cli_apply: %s\n", failure.c_str());
        return 1;
    }
    const double rtt = RoundTripMs();
    const double floorMs = kRestartMs + rtt;
    std::printf("devices %d, restart window %d ms, round trip %.2f ms, floor %.0f ms, "
                "apply --wait %d (its search before the writes)\n",
                options.devices, kRestartMs, rtt, floorMs, kSearchWaitMs);
    std::printf("%10s %10s %12s %10s %8s %s\n", "parallel", "total ms", "devices/s", "x floor",
                "exit", "verified");
    int run = 0;
    for (int parallel : options.parallel) {
        const std::string plan = WritePlan(options.devices, run++);
        const auto start = steady_clock::now();
        const ktr::CliRun result =
            ktr::RunCli({"apply", plan, "--json", "--parallel", std::to_string(parallel), "--wait",
                         std::to_string(kSearchWaitMs)},
                        {}, std::chrono::minutes(30));
        const double ms = duration<double, std::milli>(steady_clock::now() - start).count();
        const long reported = std::count(result.out.begin(), result.out.end(), '\n');
        const std::size_t done = [&] {
            std::size_t n = 0;
            for (std::size_t at = 0;
                 (at = result.out.find("\"outcome\":\"done\"", at)) != std::string::npos; ++at)
                ++n;
            return n;
        }();
        std::printf("%10d %10.0f %12.1f %10.2f %8d %zu/%ld\n", parallel, ms,
                    options.devices * 1000.0 / ms, ms / floorMs, result.exitCode, done, reported);
    }
    std::printf("bar: within %.1fx of the floor with every device in parallel\n", kBarRatio);
    return 0;
}
