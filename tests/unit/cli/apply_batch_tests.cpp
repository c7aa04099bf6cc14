// A batch of devices cut short: what is reported of the devices finished, in flight and not
// started, and that nothing new starts after the cut.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "tools/cli/apply_batch.h"

namespace ktr::cli {
namespace {

std::vector<PlanDevice> Devices(int count)
{
    std::vector<PlanDevice> devices(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k)
        devices[static_cast<std::size_t>(k)].mac = {0, 0x0E, 0xEB,
                                                    0, 0,    static_cast<std::uint8_t>(k)};
    return devices;
}

// Devices from `blockFrom` on (in MAC order) stay in flight until released.
class Gate
{
public:
    explicit Gate(int blockFrom)
        : blockFrom_(blockFrom)
    {
    }
    DeviceResult configure(const PlanDevice &d)
    {
        ++started;
        std::unique_lock lock(mutex_);
        if (d.mac[5] >= blockFrom_)
            opened_.wait(lock, [this] { return open_; });
        DeviceResult r;
        r.mac = d.mac;
        r.outcome = d.mac[5] % 2 == 0 ? Outcome::Done : Outcome::NoAnswer;
        return r;
    }
    void release()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    std::atomic<int> started{0};

private:
    const int blockFrom_;
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

TEST(BatchTest, AllDevicesFinishInThePlansOrderWhenNotInterrupted)
{
    Gate gate(1000);
    std::size_t progressCalls = 0;
    Batch batch(
        Devices(40), 6, [&](const PlanDevice &d) { return gate.configure(d); },
        [&](std::size_t finished, std::size_t total) {
            ++progressCalls;
            EXPECT_EQ(finished, progressCalls); // called under the batch's lock, in turn
            EXPECT_EQ(total, 40u);
        });
    const BatchReport report = batch.wait([] { return false; });
    EXPECT_FALSE(report.interrupted);
    EXPECT_EQ(report.notStarted, 0u);
    ASSERT_EQ(report.results.size(), 40u);
    for (std::size_t k = 0; k < 40; ++k) {
        EXPECT_EQ(report.results[k].mac[5], k);
        EXPECT_EQ(report.results[k].outcome, k % 2 == 0 ? Outcome::Done : Outcome::NoAnswer);
    }
    EXPECT_EQ(progressCalls, 40u);
}

TEST(BatchTest, AnInterruptionReportsTheFinishedAndThoseInFlightAndStartsNoMore)
{
    struct Row
    {
        int devices;
        int parallel;
        int blockFrom; // devices before it finish at once
    };
    for (const Row row : {Row{50, 8, 20}, Row{5, 16, 0}, Row{30, 1, 10}}) {
        Gate gate(row.blockFrom);
        std::size_t finished = 0;
        std::size_t progressAfterCut = 0;
        bool cut = false;
        const int inFlight = std::min(row.parallel, row.devices - row.blockFrom);
        const auto report = [&] {
            Batch batch(
                Devices(row.devices), row.parallel,
                [&](const PlanDevice &d) { return gate.configure(d); },
                [&](std::size_t done, std::size_t) {
                    finished = done;
                    progressAfterCut += cut ? 1 : 0;
                });
            // Interrupted once the devices before the gate are done and every worker waits
            // at it (both callbacks run under the batch's lock).
            BatchReport r = batch.wait([&] {
                cut = finished == static_cast<std::size_t>(row.blockFrom) &&
                      gate.started == row.blockFrom + inFlight;
                return cut;
            });
            gate.release(); // the workers finish their devices and start no other
            return r;
        }();
        EXPECT_TRUE(report.interrupted);
        ASSERT_EQ(report.results.size(), static_cast<std::size_t>(row.blockFrom + inFlight));
        for (std::size_t k = 0; k < report.results.size(); ++k) {
            EXPECT_EQ(report.results[k].mac[5], k);
            if (static_cast<int>(k) < row.blockFrom) {
                EXPECT_NE(report.results[k].outcome, Outcome::Interrupted) << k;
            } else {
                EXPECT_EQ(report.results[k].outcome, Outcome::Interrupted) << k;
                EXPECT_NE(report.results[k].detail, "");
            }
        }
        EXPECT_EQ(report.notStarted,
                  static_cast<std::size_t>(row.devices - row.blockFrom - inFlight));
        EXPECT_EQ(gate.started, row.blockFrom + inFlight) << "a device started after the cut";
        EXPECT_EQ(progressAfterCut, 0u);
    }
}

TEST(BatchTest, TheInterruptedOutcomeHasItsTextKeyAndExitCode)
{
    EXPECT_EQ(OutcomeText(Outcome::Interrupted), "中断");
    EXPECT_EQ(OutcomeKey(Outcome::Interrupted), "interrupted");
    EXPECT_EQ(ExitCodeOf(Outcome::Interrupted), 130);
}

} // namespace
} // namespace ktr::cli
