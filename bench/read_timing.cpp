// Read benchmark: a double-click on a listed device until its network page is filled and the
// success line shown (timed from the request leaving and from the double-click), against a bare
// client's round trip of the same read on the lab. The
// device is one ktr-sim answering at once.
#include "bench/bench_support.h"
#include "bench/search_timing.h"
#include "link/frame.h"
#include "tests/lab/support/lab_env.h"
#include "tests/lab/support/sim_process.h"
#include "tools/parse_number.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {

using namespace std::chrono_literals;
using ktr::bench::Median;
using ktr::bench::ReadSample;

constexpr ktr::MacAddress kDevice{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x01};
constexpr auto kPatience = 2s;

const char kUsage[] = "Usage: read_timing [--reads R]\n"
                      "  --reads  reads through each path (default 50)\n"
                      "Run it in the lab's PC namespace:\n"
                      "  scripts/lab up && scripts/lab exec -- build/main/bench/read_timing\n"
                      "KTR_SIM names the ktr-sim binary (default: the one built beside it), "
                      "KTR_LAB_NAME the lab (default ktr).\n";

std::optional<int> ParseReads(int argc, char **argv)
{
    if (argc == 1)
        return 50;
    if (argc == 3 && std::string_view(argv[1]) == "--reads")
        return ktr::ParseNumber<int>(argv[2], 1, 10000);
    return std::nullopt;
}

void PrintSummary(const char *path, const std::vector<ReadSample> &samples, bool window)
{
    std::vector<double> ms;
    std::vector<double> fromClick;
    std::vector<double> cpu;
    std::vector<double> events;
    std::size_t failed = 0;
    for (const ReadSample &s : samples) {
        if (!s.complete) {
            ++failed;
            continue;
        }
        ms.push_back(s.milliseconds);
        fromClick.push_back(s.fromClickMilliseconds);
        cpu.push_back(s.cpuMilliseconds);
        events.push_back(s.datagramEvents);
    }
    if (ms.empty()) {
        std::printf("%-7s no read completed (%s)\n", path,
                    samples.empty() ? "no sample" : samples.front().failure.c_str());
        return;
    }
    std::printf("%-7s %zu reads: median %.3f ms (min %.3f, max %.3f), %zu unanswered", path,
                ms.size(), Median(ms), *std::min_element(ms.begin(), ms.end()),
                *std::max_element(ms.begin(), ms.end()), failed);
    if (window)
        std::printf("; from the double-click median %.3f ms; window thread CPU median %.3f ms, "
                    "datagram events per read median %.0f",
                    Median(fromClick), Median(cpu), Median(events));
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    const std::optional<int> reads = ParseReads(argc, argv);
    if (!reads) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!ktr::bench::InLabPcNamespace()) {
        std::fprintf(stderr, "read_timing: runs only in the lab's PC namespace.\n%s", kUsage);
        return 1;
    }
    if (ktr::SimBinary().empty())
        setenv("KTR_SIM", KTR_DEFAULT_SIM, 0);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    ktr::SimProcess sim;
    if (const std::string failure = sim.start({"--devices", "1", "--quiet"}); !failure.empty()) {
        std::fprintf(stderr, "read_timing: ktr-sim: %s\n", failure.c_str());
        return 1;
    }
    std::printf("read_timing: lab %s, %d reads each, load average %s\n",
                ktr::LabNamespace(ktr::LabHost::Dev).c_str(), *reads,
                ktr::bench::LoadAverage().c_str());
    std::vector<ReadSample> floor;
    for (int read = 0; read < *reads; ++read)
        floor.push_back(ktr::bench::TimeFloorRead(kDevice, kPatience));
    const std::vector<ReadSample> window = ktr::bench::TimeWindowReads(*reads, kPatience);
    sim.stop();
    PrintSummary("floor", floor, false);
    PrintSummary("window", window, true);
    std::printf("load average at the end: %s\n", ktr::bench::LoadAverage().c_str());
    return 0;
}
