// The workers of a batch and the cut.
#include "tools/cli/apply_batch.h"

#include <algorithm>
#include <chrono>

namespace ktr::cli {
namespace {

// How often a waiting batch asks whether it was interrupted: a person pressing Ctrl+C sees the
// report within this time.
constexpr std::chrono::milliseconds kInterruptCheck{50};

} // namespace

int ParallelDevices(std::optional<int> asked, std::size_t devices)
{
    if (asked)
        return *asked;
    return static_cast<int>(std::clamp<std::size_t>(devices, 1, kDefaultParallelLimit));
}

Batch::Batch(std::vector<PlanDevice> devices, int parallel, ConfigureDevice configure,
             Progress progress)
    : devices_(std::move(devices))
    , configure_(std::move(configure))
    , progress_(std::move(progress))
    , states_(devices_.size(), State::Waiting)
    , results_(devices_.size())
{
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(parallel, 1)), devices_.size());
    working_ = count;
    for (std::size_t i = 0; i < count; ++i)
        workers_.emplace_back([this] { work(); });
}

Batch::~Batch()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    for (std::thread &t : workers_)
        t.join();
}

void Batch::work()
{
    std::unique_lock lock(mutex_);
    while (!stopping_ && next_ < devices_.size()) {
        const std::size_t i = next_++;
        states_[i] = State::InFlight;
        lock.unlock();
        DeviceResult result = configure_(devices_[i]);
        lock.lock();
        results_[i] = std::move(result);
        states_[i] = State::Finished;
        ++finished_;
        if (!stopping_ && progress_)
            progress_(finished_, devices_.size());
    }
    --working_;
    changed_.notify_all();
}

BatchReport Batch::wait(const std::function<bool()> &interrupted)
{
    BatchReport report;
    std::unique_lock lock(mutex_);
    while (working_ > 0) {
        changed_.wait_for(lock, kInterruptCheck);
        if (working_ > 0 && interrupted()) {
            stopping_ = true;
            report.interrupted = true;
            break;
        }
    }
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        switch (states_[i]) {
        case State::Waiting:
            ++report.notStarted;
            break;
        case State::InFlight: {
            DeviceResult cut;
            cut.mac = devices_[i].mac;
            cut.outcome = Outcome::Interrupted;
            cut.detail = "中断时正在配置, 不知是否已写入";
            report.results.push_back(std::move(cut));
            break;
        }
        case State::Finished:
            report.results.push_back(results_[i]);
            break;
        }
    }
    return report;
}

} // namespace ktr::cli
