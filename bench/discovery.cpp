// Discovery benchmark: how long the window takes to list N devices answering one search on the
// lab, against a bare receive loop over the same burst of replies. The replies come from
// ktr-sim or from an ideal sender of ready-made replies (so that the floor is the network's);
// a paced mode spreads them over seconds and reports the CPU time of the window's thread.
#include "bench/bench_support.h"
#include "bench/search_timing.h"
#include "tests/lab/support/lab_env.h"
#include "tests/lab/support/raw_udp_client.h"
#include "tests/lab/support/sim_process.h"
#include "tools/parse_number.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using ktr::bench::InLabPcNamespace;
using ktr::bench::LoadAverage;
using ktr::bench::Median;
using ktr::bench::SearchSample;

// The window may take this much longer than the floor and still meet our bar.
constexpr double kBarRatio = 1.5;
// Replies that stray past the end of one phase must not land in the next one.
constexpr auto kBetweenPhases = 200ms;

enum class Source { Sim, Ideal };

const char *SourceName(Source source)
{
    return source == Source::Sim ? "ktr-sim" : "ideal";
}

struct Paced
{
    std::size_t devices = 0;
    int seconds = 0;
};

struct Options
{
    std::vector<std::size_t> devices{10, 100, 1000, 5000, 20000};
    std::vector<Source> sources{Source::Sim, Source::Ideal};
    std::vector<Paced> paced{{1000, 1}, {5000, 5}};
    std::vector<std::size_t> firstLast; // bursts timed to their first and last reply
    int runs = 5;
};

const char kUsage[] =
    "Usage: discovery [--devices N1,N2,...] [--runs R] [--sources sim,ideal]\n"
    "                 [--paced N:S,...|none] [--first-last N,...]\n"
    "  --devices  burst sizes (default 10,100,1000,5000,20000)\n"
    "  --sources  where the replies come from: ktr-sim and/or the ideal sender (default both)\n"
    "  --paced    N replies spread over S seconds by the ideal sender (default 1000:1,5000:5)\n"
    "  --first-last  bursts of N replies timed to their first and last reply at a bare client,\n"
    "             from ktr-sim logging as usual and from the ideal sender (default none)\n"
    "Run it in the lab's PC namespace:\n"
    "  scripts/lab up && scripts/lab exec -- build/main/bench/discovery\n"
    "KTR_SIM names the ktr-sim binary (default: the one built beside it), KTR_IDEAL_REPLIER\n"
    "the ideal sender, KTR_LAB_NAME the lab (default ktr).\n";

// Splits "a,b,c" and reads each part; false when a part does not read.
template <typename Read>
bool ForEachListed(std::string_view list, Read read)
{
    for (std::string_view rest = list; !rest.empty();) {
        const std::size_t comma = std::min(rest.find(','), rest.size());
        if (!read(rest.substr(0, comma)))
            return false;
        rest.remove_prefix(std::min(comma + 1, rest.size()));
    }
    return true;
}

// "N1,N2,..." as numbers of devices.
bool ReadCounts(std::string_view list, std::vector<std::size_t> &counts)
{
    counts.clear();
    return ForEachListed(list, [&](std::string_view part) {
        const auto n = ktr::ParseNumber<std::size_t>(part, 1, 100000);
        if (n)
            counts.push_back(*n);
        return n.has_value();
    });
}

bool ReadOption(Options &options, std::string_view arg, std::string_view value)
{
    if (arg == "--runs") {
        const auto runs = ktr::ParseNumber<int>(value, 1, 1000);
        options.runs = runs.value_or(0);
        return runs.has_value();
    }
    if (arg == "--devices")
        return ReadCounts(value, options.devices);
    if (arg == "--first-last")
        return ReadCounts(value, options.firstLast);
    if (arg == "--sources") {
        options.sources.clear();
        return ForEachListed(value, [&](std::string_view part) {
            if (part != "sim" && part != "ideal")
                return false;
            options.sources.push_back(part == "sim" ? Source::Sim : Source::Ideal);
            return true;
        });
    }
    if (arg == "--paced") {
        options.paced.clear();
        if (value == "none")
            return true;
        return ForEachListed(value, [&](std::string_view part) {
            const std::size_t colon = part.find(':');
            if (colon == std::string_view::npos)
                return false;
            const auto n = ktr::ParseNumber<std::size_t>(part.substr(0, colon), 1, 100000);
            const auto seconds = ktr::ParseNumber<int>(part.substr(colon + 1), 1, 600);
            if (n && seconds)
                options.paced.push_back({*n, *seconds});
            return n && seconds;
        });
    }
    return false;
}

std::optional<Options> ParseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc || !ReadOption(options, argv[i], argv[i + 1]))
            return std::nullopt;
    }
    return options;
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
    double median() const { return Median(milliseconds); }
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
    Source source = Source::Sim;
    std::size_t devices = 0;
    Series floor;
    Series window;
    std::size_t sent = 0; // replies the source reported sending, both phases, all runs
    bool messagesComplete = true;
    int runs = 0;
};

// A phase waits this long for its replies: what the burst needs on a slow machine, not a
// fixed time per reply.
std::chrono::milliseconds Patience(std::size_t devices, int spreadSeconds = 0)
{
    return std::chrono::milliseconds(2000 + static_cast<long>(devices) / 5 + 1000L * spreadSeconds);
}

// The ideal sender built beside this program, unless KTR_IDEAL_REPLIER names another.
std::string IdealReplier()
{
    const char *path = std::getenv("KTR_IDEAL_REPLIER");
    return path != nullptr && *path != '\0' ? path : KTR_DEFAULT_IDEAL_REPLIER;
}

// Starts the source of the replies in the devices' namespace.
bool StartSource(ktr::SimProcess &process, Source source, std::size_t devices, int spreadMs,
                 bool quiet = true)
{
    std::vector<std::string> args{"--devices", std::to_string(devices)};
    if (source == Source::Sim) {
        // Quiet: the floor is not to pay for a log line per reply read by this process.
        args.insert(args.end(), {"--ip", "192.168.0.10", "--mac", "00-0E-EB-00-00-01"});
        if (quiet)
            args.push_back("--quiet");
    } else {
        process.setProgram(IdealReplier());
        args.insert(args.end(), {"--spread-ms", std::to_string(spreadMs)});
    }
    const std::string failure = process.start(args);
    if (!failure.empty())
        std::fprintf(stderr, "discovery: %s: %s\n", SourceName(source), failure.c_str());
    return failure.empty();
}

// Replies the source reported sending: the sum over its "summary: ... N replies sent" lines.
std::size_t RepliesSent(const ktr::SimProcess &process)
{
    std::size_t sum = 0;
    for (const std::string &line : process.lines()) {
        const std::size_t end = line.find(" replies sent");
        if (line.rfind("summary: ", 0) != 0 || end == std::string::npos)
            continue;
        const std::size_t start = line.rfind(' ', end - 1) + 1;
        sum += ktr::ParseNumber<std::size_t>(std::string_view(line).substr(start, end - start), 0,
                                             SIZE_MAX)
                   .value_or(0);
    }
    return sum;
}

void ReportFailure(const char *phase, const SearchSample &s)
{
    if (!s.failure.empty())
        std::printf("  %s: %s\n", phase, s.failure.c_str());
}

std::optional<Result> Measure(Source source, std::size_t devices, int runs)
{
    ktr::SimProcess process;
    if (!StartSource(process, source, devices, 0))
        return std::nullopt;
    Result result;
    result.source = source;
    result.devices = devices;
    result.runs = runs;
    for (int run = 1; run <= runs; ++run) {
        const SearchSample floor = ktr::bench::TimeFloorSearch(devices, Patience(devices));
        ReportFailure("floor", floor);
        std::this_thread::sleep_for(kBetweenPhases);
        const SearchSample window = ktr::bench::TimeWindowSearch(devices, Patience(devices));
        ReportFailure("window", window);
        std::this_thread::sleep_for(kBetweenPhases);
        result.floor.add(floor, devices);
        result.window.add(window, devices);
        result.messagesComplete = result.messagesComplete && window.messagesComplete;
        std::printf("  %s N=%zu run %d: floor %.1f ms (%zu replies), window %.1f ms (%zu rows, "
                    "%.1f ms CPU)%s\n",
                    SourceName(source), devices, run, floor.milliseconds, floor.received,
                    window.milliseconds, window.received, window.cpuMilliseconds,
                    window.messagesComplete ? "" : ", message area incomplete");
        std::fflush(stdout);
    }
    process.waitForLines("summary: ", static_cast<std::size_t>(2 * runs), kBetweenPhases);
    result.sent = RepliesSent(process);
    process.stop();
    return result;
}

void PrintTable(const std::vector<Result> &results)
{
    std::printf("\n%-7s  %6s  %-22s  %-22s  %5s  %6s  %7s  %4s  %s\n", "source", "N",
                "floor ms med (min-max)", "window ms med (min-max)", "ratio", "rows", "replies",
                "lost", "bar");
    for (const Result &r : results) {
        const double floorMs = r.floor.median();
        const double windowMs = r.window.median();
        const double ratio = floorMs > 0 ? windowMs / floorMs : 0;
        const bool everyRow =
            r.window.lost == 0 && r.window.milliseconds.size() == static_cast<std::size_t>(r.runs);
        const bool met = everyRow && r.floor.lost == 0 && r.messagesComplete && floorMs > 0 &&
                         ratio <= kBarRatio;
        std::printf("%-7s  %6zu  %-22s  %-22s  %5.2f  %6zu  %7zu  %4zu  %s\n", SourceName(r.source),
                    r.devices, r.floor.spread().c_str(), r.window.spread().c_str(), ratio,
                    r.window.fewest, r.floor.fewest, r.floor.lost + r.window.lost,
                    met ? "bar met" : "bar missed");
    }
    std::printf("rows/replies: fewest of any run; lost: replies missing, summed over the runs of "
                "both phases; bar: every row listed, no loss, window within %.1fx the floor\n",
                kBarRatio);
    for (const Result &r : results) {
        const std::size_t expected = 2 * r.devices * static_cast<std::size_t>(r.runs);
        if (r.sent != expected)
            std::printf("%s N=%zu: the source reported %zu replies sent, %zu expected\n",
                        SourceName(r.source), r.devices, r.sent, expected);
    }
}

// N replies spread over S seconds: what the window's thread spends on them.
bool MeasurePaced(const Paced &paced, int runs)
{
    ktr::SimProcess process;
    if (!StartSource(process, Source::Ideal, paced.devices, paced.seconds * 1000))
        return false;
    std::vector<double> cpu;
    std::size_t fewest = SIZE_MAX;
    for (int run = 1; run <= runs; ++run) {
        const SearchSample window =
            ktr::bench::TimeWindowSearch(paced.devices, Patience(paced.devices, paced.seconds));
        ReportFailure("window", window);
        fewest = std::min(fewest, window.received);
        cpu.push_back(window.cpuMilliseconds);
        std::printf("  paced N=%zu over %d s run %d: %.1f ms, %zu rows, window thread %.1f ms "
                    "CPU%s\n",
                    paced.devices, paced.seconds, run, window.milliseconds, window.received,
                    window.cpuMilliseconds,
                    window.messagesComplete ? "" : ", message area incomplete");
        std::fflush(stdout);
        std::this_thread::sleep_for(kBetweenPhases);
    }
    process.stop();
    const double median = Median(cpu);
    std::printf("paced  %6zu replies over %d s: window thread CPU median %.1f ms (%.1f %% of a "
                "core, %.1f us per reply), fewest rows %zu\n",
                paced.devices, paced.seconds, median, median / (10.0 * paced.seconds),
                1000.0 * median / static_cast<double>(paced.devices), fewest);
    return true;
}

// A burst of replies at a bare client: when the first and the last arrived.
bool MeasureFirstLast(Source source, std::size_t devices, int runs)
{
    ktr::SimProcess process;
    if (!StartSource(process, source, devices, 0, false))
        return false;
    std::vector<double> first;
    std::vector<double> last;
    std::size_t fewest = SIZE_MAX;
    for (int run = 1; run <= runs; ++run) {
        ktr::RawUdpClient client;
        if (const std::string failure = client.open(ktr::kLabPc0); !failure.empty()) {
            std::fprintf(stderr, "discovery: %s\n", failure.c_str());
            return false;
        }
        using Clock = std::chrono::steady_clock;
        const Clock::time_point sentAt = Clock::now();
        client.broadcast(ktr::EncodeSearchRequest());
        std::size_t received = client.collect(Patience(devices), 1).size();
        const Clock::time_point firstAt = Clock::now();
        if (received == 1)
            received += client.collect(Patience(devices), devices - 1).size();
        const Clock::time_point lastAt = Clock::now();
        first.push_back(std::chrono::duration<double, std::milli>(firstAt - sentAt).count());
        last.push_back(std::chrono::duration<double, std::milli>(lastAt - sentAt).count());
        fewest = std::min(fewest, received);
        std::printf("  %s N=%zu run %d: first reply %.2f ms, last %.1f ms, %zu replies\n",
                    SourceName(source), devices, run, first.back(), last.back(), received);
        std::fflush(stdout);
        // The simulator writes its log once the burst is over; it is not to overlap the next.
        std::this_thread::sleep_for(std::chrono::milliseconds(500) + Patience(devices) / 4);
    }
    process.stop();
    std::printf("first-last %-7s N=%zu: first reply median %.2f ms, last reply median %.1f ms, "
                "fewest replies %zu\n",
                SourceName(source), devices, Median(first), Median(last), fewest);
    return true;
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

    std::printf("discovery: lab %s, simulator %s, ideal sender %s, %d runs, load average %s\n",
                ktr::LabNamespace(ktr::LabHost::Dev).c_str(), ktr::SimBinary().c_str(),
                IdealReplier().c_str(), options->runs, LoadAverage().c_str());
    std::printf("times: from the search request leaving to the last reply received (floor) or "
                "to the last row listed (window)\n");
    std::vector<Result> results;
    for (Source source : options->sources) {
        for (std::size_t devices : options->devices) {
            const auto result = Measure(source, devices, options->runs);
            if (!result)
                return 1;
            results.push_back(*result);
        }
    }
    PrintTable(results);
    for (const Paced &paced : options->paced) {
        if (!MeasurePaced(paced, options->runs))
            return 1;
    }
    for (std::size_t devices : options->firstLast) {
        for (Source source : {Source::Sim, Source::Ideal}) {
            if (!MeasureFirstLast(source, devices, options->runs))
                return 1;
        }
    }
    std::printf("load average at the end: %s\n", LoadAverage().c_str());
    return 0;
}
