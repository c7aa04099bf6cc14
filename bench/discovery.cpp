// Discovery benchmark: how long the window takes to list N devices answering one search on the
// lab, against a bare receive loop over the same burst of replies.
#include "bench/search_timing.h"
#include "link/endpoints.h"
#include "tests/lab/support/lab_env.h"
#include "tests/lab/support/sim_process.h"
#include "tools/parse_number.h"

#include <QApplication>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using ktr::bench::SearchSample;

// The window may take this much longer than the floor and still meet our bar.
constexpr double kBarRatio = 2.0;
// Replies that stray past the end of one phase must not land in the next one.
constexpr auto kBetweenPhases = 200ms;

struct Options
{
    std::vector<std::size_t> devices{100, 1000};
    int runs = 5;
};

const char kUsage[] = "Usage: discovery [--devices N1,N2,...] [--runs R]\n"
                      "Run it in the lab's PC namespace:\n"
                      "  scripts/lab up && scripts/lab exec -- build/main/bench/discovery\n"
                      "KTR_SIM names the ktr-sim binary (default: the one built beside it),\n"
                      "KTR_LAB_NAME the lab (default ktr).\n";

std::optional<Options> ParseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i + 1 >= argc)
            return std::nullopt;
        const std::string_view value = argv[++i];
        if (arg == "--runs") {
            const auto runs = ktr::ParseNumber<int>(value, 1, 1000);
            if (!runs)
                return std::nullopt;
            options.runs = *runs;
        } else if (arg == "--devices") {
            options.devices.clear();
            for (std::string_view rest = value; !rest.empty();) {
                const std::size_t comma = std::min(rest.find(','), rest.size());
                const auto n = ktr::ParseNumber<std::size_t>(rest.substr(0, comma), 1, 100000);
                if (!n)
                    return std::nullopt;
                options.devices.push_back(*n);
                rest.remove_prefix(std::min(comma + 1, rest.size()));
            }
        } else {
            return std::nullopt;
        }
    }
    return options;
}

// Searching broadcasts: only inside the lab's PC namespace is that safe.
bool InLabPcNamespace()
{
    const std::vector<std::uint32_t> addresses = ktr::LocalIpv4Addresses();
    const auto has = [&](std::uint32_t a) {
        return std::find(addresses.begin(), addresses.end(), a) != addresses.end();
    };
    return has(ktr::kLabPc0) && has(ktr::kLabPc1);
}

std::string LoadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

struct Series
{
    std::vector<double> milliseconds; // complete runs only
    std::size_t fewest = SIZE_MAX;    // least replies or rows of a run
    std::size_t lost = 0;             // summed over the runs

    void add(const SearchSample &s, std::size_t expected)
    {
        if (s.complete)
            milliseconds.push_back(s.milliseconds);
        fewest = std::min(fewest, s.received);
        lost += expected - std::min(expected, s.received);
    }
    double median() const
    {
        if (milliseconds.empty())
            return 0;
        std::vector<double> sorted = milliseconds;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t mid = sorted.size() / 2;
        return sorted.size() % 2 != 0 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
    }
    std::string spread() const
    {
        if (milliseconds.empty())
            return "no complete run";
        const auto [low, high] = std::minmax_element(milliseconds.begin(), milliseconds.end());
        char text[64];
        std::snprintf(text, sizeof text, "%.1f (%.1f-%.1f)", median(), *low, *high);
        return text;
    }
};

struct Result
{
    std::size_t devices = 0;
    Series floor;
    Series window;
    std::size_t sent = 0; // replies the simulator reported sending, both phases, all runs
    bool messagesComplete = true;
    int runs = 0;
};

std::chrono::milliseconds Patience(std::size_t devices)
{
    return std::max(std::chrono::milliseconds(5000),
                    std::chrono::milliseconds(30 * static_cast<long>(devices)));
}

std::optional<Result> Measure(std::size_t devices, int runs)
{
    ktr::SimProcess sim;
    const std::string failure = sim.start({"--devices", std::to_string(devices), "--ip",
                                           "192.168.0.10", "--mac", "00-0E-EB-00-00-01"});
    if (!failure.empty()) {
        std::fprintf(stderr, "discovery: ktr-sim: %s\n", failure.c_str());
        return std::nullopt;
    }
    Result result;
    result.devices = devices;
    result.runs = runs;
    const auto report = [](const char *phase, const SearchSample &s) {
        if (!s.failure.empty())
            std::printf("  %s: %s\n", phase, s.failure.c_str());
    };
    for (int run = 1; run <= runs; ++run) {
        const SearchSample floor = ktr::bench::TimeFloorSearch(devices, Patience(devices));
        report("floor", floor);
        std::this_thread::sleep_for(kBetweenPhases);
        const SearchSample window = ktr::bench::TimeWindowSearch(devices, Patience(devices));
        report("window", window);
        std::this_thread::sleep_for(kBetweenPhases);
        result.floor.add(floor, devices);
        result.window.add(window, devices);
        result.messagesComplete = result.messagesComplete && window.messagesComplete;
        std::printf("  N=%zu run %d: floor %.1f ms (%zu replies), window %.1f ms (%zu rows)%s\n",
                    devices, run, floor.milliseconds, floor.received, window.milliseconds,
                    window.received, window.messagesComplete ? "" : ", message area incomplete");
        std::fflush(stdout);
    }
    result.sent = sim.countLines("search -> reply");
    sim.stop();
    return result;
}

void PrintTable(const std::vector<Result> &results)
{
    std::printf("\n%6s  %-22s  %-22s  %5s  %6s  %7s  %4s  %s\n", "N", "floor ms med (min-max)",
                "window ms med (min-max)", "ratio", "rows", "replies", "lost", "bar");
    for (const Result &r : results) {
        const double floorMs = r.floor.median();
        const double windowMs = r.window.median();
        const double ratio = floorMs > 0 ? windowMs / floorMs : 0;
        const bool everyRow =
            r.window.lost == 0 && r.window.milliseconds.size() == static_cast<std::size_t>(r.runs);
        const bool met = everyRow && r.floor.lost == 0 && r.messagesComplete && floorMs > 0 &&
                         ratio <= kBarRatio;
        std::printf("%6zu  %-22s  %-22s  %5.2f  %6zu  %7zu  %4zu  %s\n", r.devices,
                    r.floor.spread().c_str(), r.window.spread().c_str(), ratio, r.window.fewest,
                    r.floor.fewest, r.floor.lost + r.window.lost, met ? "bar met" : "bar missed");
    }
    std::printf("rows/replies: fewest of any run; lost: replies missing, summed over the runs of "
                "both phases; bar: every row listed, no loss, window within %.0fx the floor\n",
                kBarRatio);
    for (const Result &r : results) {
        const std::size_t expected = 2 * r.devices * static_cast<std::size_t>(r.runs);
        if (r.sent != expected)
            std::printf("N=%zu: the simulator reported %zu replies sent, %zu expected\n", r.devices,
                        r.sent, expected);
    }
}

} // namespace

int main(int argc, char **argv)
{
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!InLabPcNamespace()) {
        std::fprintf(stderr,
                     "discovery: 10.77.1.10 and 10.77.2.10 are not local addresses; this "
                     "program broadcasts and runs only in the lab's PC namespace.\n%s",
                     kUsage);
        return 1;
    }
    if (ktr::SimBinary().empty())
        setenv("KTR_SIM", KTR_DEFAULT_SIM, 0);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::printf("discovery: lab %s, simulator %s, %d runs per N, load average %s\n",
                ktr::LabNamespace(ktr::LabHost::Dev).c_str(), ktr::SimBinary().c_str(),
                options->runs, LoadAverage().c_str());
    std::printf("times: from the search request leaving to the last reply received (floor) or "
                "to the last row listed (window)\n");
    std::vector<Result> results;
    for (std::size_t devices : options->devices) {
        const auto result = Measure(devices, options->runs);
        if (!result)
            return 1;
        results.push_back(*result);
    }
    PrintTable(results);
    std::printf("load average at the end: %s\n", LoadAverage().c_str());
    return 0;
}
