#include "bench/bench_support.h"

#include "link/endpoints.h"
#include "tests/lab/support/lab_env.h"

#include <algorithm>
#include <fstream>

namespace ktr::bench {

bool InLabPcNamespace()
{
    const std::vector<std::uint32_t> addresses = LocalIpv4Addresses();
    const auto has = [&](std::uint32_t a) {
        return std::find(addresses.begin(), addresses.end(), a) != addresses.end();
    };
    return has(kLabPc0) && has(kLabPc1);
}

std::string LoadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace ktr::bench
