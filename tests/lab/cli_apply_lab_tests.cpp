// ktr-cli apply on the virtual lab: plans that cannot be applied safely are refused before
// anything is written, a static IP range keeps every device at its address from one run to the
// next, and Ctrl+C ends a run with the report of what was done.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <thread>

#include "tests/lab/cli_lab_support.h"
#include "tests/lab/support/sim_process.h"

namespace ktr {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using ::testing::HasSubstr;

// The simulator's lines about requests other than searches: reads and writes.
std::vector<std::string> AddressedRequests(const SimProcess &sim)
{
    std::vector<std::string> lines;
    for (const std::string &line : sim.lines()) {
        if (!line.starts_with("ready") && line.find(" search ") == std::string::npos)
            lines.push_back(line);
    }
    return lines;
}

// The rows of apply's table whose result column is `outcome`, by MAC.
std::set<std::string> RowsWith(const std::string &table, const std::string &outcome)
{
    std::set<std::string> macs;
    std::size_t start = 0;
    for (std::size_t end; (end = table.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string row = table.substr(start, end - start);
        if (row.find("  " + outcome + "  ") != std::string::npos || row.ends_with("  " + outcome))
            macs.insert(row.substr(0, 17));
    }
    return macs;
}

class CliApplyLab : public CliLab
{
protected:
    void start(int devices, std::vector<std::string> extra = {})
    {
        extra.insert(extra.end(), {"--restart-ms", "800"});
        ASSERT_EQ(sim_.start(Sim(devices, "192.168.0.10", "00-0E-EB-00-00-01", extra)), "");
    }
    SimProcess sim2_;
};

TEST_F(CliApplyLab, AmbiguousPlansExitTwoWithNothingWritten)
{
    start(3); // 00-0E-EB-00-00-01 .. 03 at 192.168.0.10 .. 12
    struct Row
    {
        const char *what;
        const char *plan;
        std::vector<std::string> named; // in the message
        bool searched;                  // the refusal needs to know the LAN
    };
    const std::vector<Row> rows{
        {"one device in two spellings",
         R"({"devices": {"00-0e-eb-00-00-02": {"gateway": "192.168.0.253"},
                         "000EEB000002": {"gateway": "192.168.0.254"}}})",
         {"00-0E-EB-00-00-02", "两次"},
         false},
        {"two devices members",
         R"({"devices": {"00-0E-EB-00-00-01": {"gateway": "192.168.0.253"}},
             "devices": {"00-0E-EB-00-00-02": {"gateway": "192.168.0.254"}}})",
         {"键 devices 出现了两次"},
         false},
        {"one field twice",
         R"({"devices": {"00-0E-EB-00-00-01": {"gateway": "192.168.0.253",
                                               "gateway": "192.168.0.254"}}})",
         {"devices.00-0E-EB-00-00-01.gateway"},
         false},
        {"two devices, one static IP",
         R"({"devices": {"00-0E-EB-00-00-01": {"static_ip": "192.168.0.50"},
                         "00-0E-EB-00-00-03": {"static_ip": "192.168.0.50"}}})",
         {"00-0E-EB-00-00-01", "00-0E-EB-00-00-03", "192.168.0.50"},
         false},
        {"a range too small for the devices named",
         R"({"devices": {"000EEB000001": {}, "000EEB000002": {}, "000EEB000003": {}},
             "static_ip_range": "10.5.0.1-10.5.0.2"})",
         {"static_ip_range", "3 台"},
         false},
        {"a static IP another device answers at",
         R"({"devices": {"00-0E-EB-00-00-01": {"static_ip": "192.168.0.12"}}})",
         {"00-0E-EB-00-00-01", "192.168.0.12", "00-0E-EB-00-00-03"},
         true},
        {"one static IP for every device found",
         R"({"all_found": {"static_ip": "192.168.0.77"}})",
         {"192.168.0.77", "00-0E-EB-00-00-01", "00-0E-EB-00-00-02"},
         true},
    };
    for (const Row &row : rows) {
        const std::size_t linesBefore = sim_.lines().size();
        const CliRun run = RunCli({"apply", WriteFile("ambiguous.json", row.plan)});
        EXPECT_EQ(run.exitCode, 2) << row.what << '\n' << run.out << run.err;
        EXPECT_EQ(run.out, "") << row.what;
        for (const std::string &text : row.named)
            EXPECT_THAT(run.err, HasSubstr(text)) << row.what;
        std::this_thread::sleep_for(300ms); // the simulator writes its lines after a spell
        if (row.searched) {
            EXPECT_THAT(run.err, HasSubstr("没有写入任何设备")) << row.what;
            EXPECT_GT(sim_.lines().size(), linesBefore) << row.what << ": no search";
        } else {
            EXPECT_EQ(sim_.lines().size(), linesBefore) << row.what << ": something was sent";
        }
    }
    EXPECT_THAT(AddressedRequests(sim_), ::testing::IsEmpty());
    EXPECT_EQ(TakenWrites(sim_), 0u);
}

// 400 devices answering by unicast get their addresses from a range; a re-run finds every one
// where it is; a device that was off joins the next run and takes a free address without
// moving any other.
TEST_F(CliApplyLab, AllFoundWithARangeKeepsEveryDeviceAtItsAddress)
{
    constexpr int kDevices = 400;
    start(kDevices, {"--unicast"});
    const std::string plan =
        WriteFile("range.json", R"({"all_found": {"subnet_mask": "255.255.0.0"},
                          "static_ip_range": "10.30.0.1-10.30.1.200"})");
    const std::vector<std::string> apply{"apply", plan, "--json", "--parallel", "50"};
    const auto outcomes = [](const CliRun &run) {
        std::map<std::string, std::pair<std::string, std::string>> byMac; // outcome, ip
        for (const json &line : ParseJsonLines(run.out))
            byMac[line["mac"]] = {line["outcome"], line["ip"]};
        return byMac;
    };

    const CliRun first = RunCli(apply, {}, 180s);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_THAT(first.err, HasSubstr("搜索到 400 台设备"));
    const auto configured = outcomes(first);
    ASSERT_EQ(configured.size(), static_cast<std::size_t>(kDevices));
    std::set<std::string> addresses;
    for (const auto &[mac, result] : configured) {
        EXPECT_EQ(result.first, "done") << mac;
        EXPECT_TRUE(addresses.insert(result.second).second) << result.second << " twice";
        EXPECT_THAT(result.second, ::testing::StartsWith("10.30.")) << mac;
    }
    EXPECT_EQ(TakenWrites(sim_), static_cast<std::size_t>(kDevices));

    const CliRun again = RunCli(apply, {}, 180s);
    ASSERT_EQ(again.exitCode, 0) << again.err;
    const auto rerun = outcomes(again);
    ASSERT_EQ(rerun.size(), static_cast<std::size_t>(kDevices));
    for (const auto &[mac, result] : rerun) {
        EXPECT_EQ(result.first, "unchanged") << mac;
        EXPECT_EQ(result.second, configured.at(mac).second) << mac;
    }
    EXPECT_EQ(TakenWrites(sim_), static_cast<std::size_t>(kDevices)) << "the re-run wrote";

    // A device that was off, with a MAC below all others, on the other segment.
    ASSERT_EQ(sim2_.start(Sim(1, "192.168.5.5", "00-0E-EB-00-00-00", {"--unicast"}), LabHost::Dev2),
              "");
    const CliRun joined = RunCli(apply, {}, 180s);
    ASSERT_EQ(joined.exitCode, 0) << joined.err;
    const auto withNew = outcomes(joined);
    ASSERT_EQ(withNew.size(), static_cast<std::size_t>(kDevices + 1));
    using Result = std::pair<std::string, std::string>;
    EXPECT_EQ(withNew.at("00-0E-EB-00-00-00"), Result("done", "10.30.1.145"));
    std::size_t moved = 0;
    for (const auto &[mac, result] : configured)
        moved += withNew.at(mac) != Result("unchanged", result.second);
    EXPECT_EQ(moved, 0u) << "devices configured before were written again";
}

// A receive queue far too small for the replies of a search: the list may be short, so a plan
// for every device found writes nothing and says why.
TEST_F(CliApplyLab, RepliesDroppedDuringThePlansSearchesStopTheRunBeforeAnyWrite)
{
    start(2000, {"--unicast"});
    const std::string plan = WriteFile(
        "dropped.json", R"({"all_found": {}, "static_ip_range": "10.50.0.1-10.50.9.250"})");
    ASSERT_EQ(setenv("KTR_RECEIVE_QUEUE_BYTES", "4096", 1), 0);
    const CliRun run = RunCli({"apply", plan}, {}, 120s);
    unsetenv("KTR_RECEIVE_QUEUE_BYTES");
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, ::testing::ContainsRegex("系统丢弃了 [1-9][0-9]* 个应答"));
    EXPECT_THAT(run.err, HasSubstr("没有写入任何设备"));
    std::this_thread::sleep_for(300ms);
    EXPECT_THAT(AddressedRequests(sim_), ::testing::IsEmpty());
}

// Every search apply makes before writing waits as long as --wait says: shorter and longer than
// the default 1.5 s, for settings of every device found (two searches at least) and for a plan
// that only names static IPs (one search).
TEST_F(CliApplyLab, EverySearchBeforeTheWritesWaitsWhatWaitSays)
{
    start(20);
    const std::string everyDevice = WriteFile(
        "wait-all.json", R"({"all_found": {}, "static_ip_range": "10.30.0.1-10.30.0.50"})");
    const std::string named = WriteFile(
        "wait-named.json", R"({"devices": {"00-0E-EB-00-00-02": {"static_ip": "10.30.1.2"}}})");
    const auto timed = [](const std::string &plan, const char *wait) {
        const auto start = std::chrono::steady_clock::now();
        const CliRun run = RunCli({"apply", plan, "--dry-run", "--wait", wait}, {}, 60s);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
    };
    EXPECT_LT(timed(everyDevice, "200"), 2500ms) << "two searches of the default wait are 3 s";
    EXPECT_LT(timed(named, "200"), 1400ms) << "one search of the default wait is 1.5 s";
    EXPECT_GE(timed(named, "2500"), 2500ms);
}

// A dry run shows each device with the address the range would give it, and counts what would
// change; list items are taken in any case. Nothing is written.
TEST_F(CliApplyLab, ADryRunShowsTheAddressesTheRangeWouldGive)
{
    start(3); // at 192.168.0.10 .. 12; the third already has the wanted parity
    const std::string plan = WriteFile("dry.json", R"({"all_found": {"parity": "even"},
        "static_ip_range": "10.30.0.1-10.30.0.50",
        "devices": {"00-0E-EB-00-00-03": {"static_ip": "192.168.0.12"}}})");
    const CliRun run = RunCli({"apply", plan, "--dry-run", "--wait", "300"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("00-0E-EB-00-00-01  10.30.0.1     未发送"));
    EXPECT_THAT(run.out, HasSubstr("00-0E-EB-00-00-02  10.30.0.2     未发送"));
    EXPECT_THAT(run.out, HasSubstr("00-0E-EB-00-00-03  192.168.0.12  无需修改"));
    EXPECT_THAT(run.err, HasSubstr("共 3 台设备, 将修改 2 台, 无需修改 1 台\n"));
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("成功")));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(TakenWrites(sim_), 0u);
}

// Without --parallel every device of the plan is configured at once: 200 devices take about one
// restart, where 16 at a time would wait out thirteen of them one after the other.
TEST_F(CliApplyLab, ByDefaultEveryDeviceOfThePlanIsConfiguredAtOnce)
{
    start(200);
    const std::string plan =
        WriteFile("all-at-once.json", R"({"all_found": {"server1_target_port": "3001"}})");
    const auto started = std::chrono::steady_clock::now();
    const CliRun run = RunCli({"apply", plan, "--wait", "300"}, {}, 120s);
    const auto took = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("共 200 台设备, 成功 200 台, 失败 0 台"));
    EXPECT_EQ(TakenWrites(sim_), 200u);
    EXPECT_LT(took, 5s) << "the devices were configured in waves";
}

// Ctrl+C while apply searches, before any write: it says that nothing was written, prints no
// table, and ends at once with 130, however long the search would still wait.
TEST_F(CliApplyLab, CtrlCDuringTheSearchSaysNothingWasWritten)
{
    start(20);
    const std::string plan = WriteFile(
        "cut-search.json", R"({"all_found": {}, "static_ip_range": "10.41.0.1-10.41.0.50"})");
    const auto start = std::chrono::steady_clock::now();
    const CliRun cut = RunCli({"apply", plan, "--wait", "20000"}, {}, 60s,
                              [&] { return sim_.countLines(" search ") >= 20; });
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(cut.exitCode, 130) << cut.err;
    EXPECT_EQ(cut.out, "");
    EXPECT_EQ(cut.err, "ktr-cli: 已中断: 没有写入任何设备\n");
    EXPECT_LT(took, 5s) << "the search's wait was not cut short";
    std::this_thread::sleep_for(300ms);
    EXPECT_THAT(AddressedRequests(sim_), ::testing::IsEmpty());
}

TEST_F(CliApplyLab, CtrlCPrintsWhatWasDoneMarksTheDevicesInFlightAndExits130)
{
    start(200);
    const std::string plan =
        WriteFile("cut.json", R"({"all_found": {}, "static_ip_range": "10.40.0.1-10.40.0.250"})");
    const CliRun cut = RunCli({"apply", plan, "--parallel", "16"}, {}, 120s,
                              [&] { return sim_.countLines("write-network ->") >= 40; });
    EXPECT_EQ(cut.exitCode, 130) << cut.err;
    EXPECT_THAT(cut.out, ::testing::StartsWith("MAC地址"));
    EXPECT_THAT(cut.err, HasSubstr("已中断"));
    const std::set<std::string> done = RowsWith(cut.out, "完成");
    const std::set<std::string> inFlight = RowsWith(cut.out, "中断");
    EXPECT_GE(done.size(), 30u);
    EXPECT_GE(inFlight.size(), 1u);
    EXPECT_LE(inFlight.size(), 16u) << "only the devices being configured are in flight";
    EXPECT_LT(done.size() + inFlight.size(), 200u);
    EXPECT_EQ(std::count(cut.out.begin(), cut.out.end(), '\n'),
              static_cast<long>(1 + done.size() + inFlight.size()));
    // Every device reported done was written; none beyond those in flight.
    std::this_thread::sleep_for(1500ms);
    const std::size_t written = TakenWrites(sim_);
    EXPECT_GE(written, done.size());
    EXPECT_LE(written, done.size() + inFlight.size());

    // The re-run finishes the job and finds the devices reported done as they were left.
    const CliRun rest = RunCli({"apply", plan, "--json"}, {}, 120s);
    ASSERT_EQ(rest.exitCode, 0) << rest.err;
    std::size_t unchanged = 0;
    for (const json &line : ParseJsonLines(rest.out)) {
        if (done.contains(line["mac"].get<std::string>())) {
            EXPECT_EQ(line["outcome"], "unchanged") << line.dump();
            ++unchanged;
        }
    }
    EXPECT_EQ(unchanged, done.size());
}

} // namespace
} // namespace ktr
