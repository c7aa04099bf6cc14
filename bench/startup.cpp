// Start-up benchmark: how long the tool's window program takes from exec to its first paint, and
// how much memory it holds by then, against a minimal Qt dialog built alongside it; and the
// shared objects the tool has loaded by then. Both programs are benchmark builds that end
// themselves at their first paint (KTR_FIRST_PAINT_REPORT); the shipped ktr-setup cannot. The tool
// opens its sockets at start, so this runs in the lab:
//   scripts/lab up && scripts/lab exec -- build/main/bench/startup [--runs R]
#include "bench/bench_support.h"
#include "tools/parse_number.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Start
{
    double milliseconds = 0; // exec to the end of the first paint
    double peakRssMb = 0;
    std::set<std::string> objects;
};

long long MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Runs the program once to its first paint; nullopt when it did not report one.
std::optional<Start> RunOnce(const std::string &program, const std::string &reportPath)
{
    std::remove(reportPath.c_str());
    const long long startedAt = MonotonicNs();
    const pid_t child = fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        setenv("KTR_FIRST_PAINT_REPORT", reportPath.c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::ifstream report(reportPath);
    Start start;
    long long paintedAt = 0;
    long rssKb = 0;
    for (std::string key; report >> key;) {
        if (key == "first_paint_ns") {
            report >> paintedAt;
        } else if (key == "peak_rss_kb") {
            report >> rssKb;
        } else if (key == "so") {
            std::string path;
            report >> path;
            start.objects.insert(path);
        }
    }
    if (paintedAt == 0)
        return std::nullopt;
    start.milliseconds = static_cast<double>(paintedAt - startedAt) / 1e6;
    start.peakRssMb = static_cast<double>(rssKb) / 1024.0;
    return start;
}

struct Figures
{
    std::vector<double> milliseconds;
    std::vector<double> peakRssMb;
    std::set<std::string> objects;
};

bool Contains(const std::set<std::string> &objects, std::string_view part)
{
    for (const std::string &o : objects) {
        if (o.find(part) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 15;
    if (argc == 3 && std::string_view(argv[1]) == "--runs") {
        runs = ktr::ParseNumber<int>(argv[2], 1, 1000).value_or(0);
    } else if (argc != 1) {
        runs = 0;
    }
    if (runs == 0) {
        std::fputs("Usage: startup [--runs R]\n", stderr);
        return 2;
    }
    if (!ktr::bench::InLabPcNamespace()) {
        std::fputs("startup: the tool opens port 1901; run this in the lab's PC namespace "
                   "(scripts/lab exec -- ...)\n",
                   stderr);
        return 1;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string report = "/tmp/ktr-startup-" + std::to_string(getpid()) + ".txt";
    const std::string programs[2] = {KTR_SETUP_PROGRAM, KTR_MINIMAL_PROGRAM};
    Figures figures[2];
    std::printf("startup: %d runs each, alternating, platform %s, load average %s\n", runs,
                std::getenv("QT_QPA_PLATFORM"), ktr::bench::LoadAverage().c_str());
    // One unmeasured start each first, so that both find their files in the page cache.
    for (const std::string &program : programs)
        RunOnce(program, report);
    for (int run = 0; run < runs; ++run) {
        for (int p = 0; p < 2; ++p) {
            const std::optional<Start> start = RunOnce(programs[p], report);
            if (!start) {
                std::fprintf(stderr, "startup: %s reported no first paint\n", programs[p].c_str());
                return 1;
            }
            figures[p].milliseconds.push_back(start->milliseconds);
            figures[p].peakRssMb.push_back(start->peakRssMb);
            figures[p].objects = start->objects;
        }
    }
    std::remove(report.c_str());

    const char *names[2] = {"ktr-setup", "minimal dialog"};
    std::printf("\n%-15s  %22s  %18s  %14s\n", "program", "first paint ms med", "peak RSS MiB med",
                "shared objects");
    double medians[2][2];
    for (int p = 0; p < 2; ++p) {
        medians[p][0] = ktr::bench::Median(figures[p].milliseconds);
        medians[p][1] = ktr::bench::Median(figures[p].peakRssMb);
        std::printf("%-15s  %22.1f  %18.1f  %14zu\n", names[p], medians[p][0], medians[p][1],
                    figures[p].objects.size());
    }
    std::printf("ratio            %21.2fx  %17.2fx\n", medians[0][0] / medians[1][0],
                medians[0][1] / medians[1][1]);
    std::printf("\nshared objects of ktr-setup at its first paint (* = not in the minimal "
                "dialog):\n");
    for (const std::string &o : figures[0].objects)
        std::printf("  %s %s\n", figures[1].objects.count(o) != 0 ? " " : "*", o.c_str());
    std::printf("QtSvg loaded: %s; image-format plugins loaded: %s; icon-engine plugins loaded: "
                "%s\n",
                Contains(figures[0].objects, "libQt6Svg") ? "yes" : "no",
                Contains(figures[0].objects, "/imageformats/") ? "yes" : "no",
                Contains(figures[0].objects, "/iconengines/") ? "yes" : "no");
    std::printf("load average at the end: %s\n", ktr::bench::LoadAverage().c_str());
    return 0;
}
