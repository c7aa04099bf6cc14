// What the benchmark programs share: the lab check, the load average and medians.
#pragma once

#include <string>
#include <vector>

namespace ktr::bench {

// True inside the lab's PC namespace, the only place a benchmark may broadcast from.
bool InLabPcNamespace();
// "/proc/loadavg"'s three figures, for the record of how busy the machine was.
std::string LoadAverage();
double Median(std::vector<double> values);

} // namespace ktr::bench
