// The devices of a plan configured concurrently, in a run that can be cut short: the devices
// finished keep their results, those being configured are reported as interrupted and no
// further device is started.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "tools/cli/configure.h"
#include "tools/cli/plan.h"

namespace ktr::cli {

// Devices configured at once when --parallel is not given: every device of the plan, up to this
// many. Each device's network write waits out a restart of about 1.5 s, so a plan done in one
// wave takes little more than one restart; the limit keeps the threads and the replies in flight
// within what a PC and its receive queue take.
inline constexpr int kDefaultParallelLimit = 500;

// Devices configured at once: as asked, else every device of the plan up to the default limit.
[[nodiscard]] int ParallelDevices(std::optional<int> asked, std::size_t devices);

struct BatchReport
{
    std::vector<DeviceResult> results; // in the plan's order; none for devices not started
    std::size_t notStarted = 0;
    bool interrupted = false;
};

class Batch
{
public:
    using ConfigureDevice = std::function<DeviceResult(const PlanDevice &)>;
    // Called after each device, with the count finished; never after an interruption.
    using Progress = std::function<void(std::size_t finished, std::size_t total)>;

    // Starts configuring at once, at most `parallel` devices at a time.
    Batch(std::vector<PlanDevice> devices, int parallel, ConfigureDevice configure,
          Progress progress = {});
    // Waits for the devices still being configured.
    ~Batch();
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;

    // Waits until every device is finished, or until `interrupted` says so (it is asked every
    // few tens of milliseconds); from then on no device is started.
    BatchReport wait(const std::function<bool()> &interrupted);

private:
    enum class State { Waiting, InFlight, Finished };
    void work();

    const std::vector<PlanDevice> devices_;
    const ConfigureDevice configure_;
    const Progress progress_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<State> states_;
    std::vector<DeviceResult> results_;
    std::size_t next_ = 0;
    std::size_t finished_ = 0;
    std::size_t working_ = 0; // workers not yet returned
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace ktr::cli
