// ktr-cli search on the virtual lab: the program runs as a child in the PC namespace, ktr-sim
// answers from the device namespaces.
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <set>

#include "tests/lab/cli_lab_support.h"
#include "tests/lab/support/lab_sockets.h"
#include "tests/lab/support/sim_process.h"

namespace ktr {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

std::vector<std::string> Column(const json &devices, const char *key)
{
    std::vector<std::string> values;
    for (const json &d : devices)
        values.push_back(d[key].is_string() ? d[key].get<std::string>() : d[key].dump());
    return values;
}

// The devices of `search --json`; the search must have heard every reply the system received.
json Devices(const CliRun &run)
{
    const json result = ParseJson(run);
    EXPECT_EQ(result.value("dropped", -1), 0) << run.err;
    return result.value("devices", json::array());
}

class CliSearchLab : public CliLab
{
protected:
    SimProcess sim2_;
};

TEST_F(CliSearchLab, ThreeDevicesOneAnsweringTwiceAreEachListedOnce)
{
    ASSERT_EQ(sim_.start(Sim(3, "192.168.0.10", "00-0E-EB-00-00-01", {"--duplicate", "1"})), "");
    const CliRun run = RunCli({"search", "--json", "--wait", "700"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json devices = Devices(run);
    EXPECT_EQ(
        Column(devices, "mac"),
        (std::vector<std::string>{"00-0E-EB-00-00-01", "00-0E-EB-00-00-02", "00-0E-EB-00-00-03"}));
    EXPECT_EQ(Column(devices, "ip"),
              (std::vector<std::string>{"192.168.0.10", "192.168.0.11", "192.168.0.12"}));
    EXPECT_EQ(devices[0]["firmware"], 288);
    EXPECT_EQ(devices[1]["interfaces"], json::array({"10.77.1.10"}));
    // The simulator saw the one request once per PC interface on its segment: once.
    EXPECT_EQ(sim_.countLines("search ->"), 3u);
    EXPECT_NE(run.err.find("搜索到 3 台设备"), std::string::npos) << run.err;

    const CliRun table = RunCli({"search", "--wait", "700"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_EQ(table.out, "设备IP        MAC地址            固件版本  接口\n"
                         "192.168.0.10  00-0E-EB-00-00-01  288       10.77.1.10\n"
                         "192.168.0.11  00-0E-EB-00-00-02  288       10.77.1.10\n"
                         "192.168.0.12  00-0E-EB-00-00-03  288       10.77.1.10\n");
}

TEST_F(CliSearchLab, AThousandDevicesAreEachListedOnce)
{
    ASSERT_EQ(sim_.start(Sim(1000, "10.1.0.1", "02-00-00-00-00-00", {"--unicast-every", "3"})), "");
    const CliRun run = RunCli({"search", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json devices = Devices(run);
    ASSERT_EQ(devices.size(), 1000u);
    const std::vector<std::string> macs = Column(devices, "mac");
    EXPECT_EQ(std::set<std::string>(macs.begin(), macs.end()).size(), 1000u);
    EXPECT_EQ(devices.front()["ip"], "10.1.0.1");
    EXPECT_EQ(devices.back()["ip"], "10.1.3.232"); // 10.1.0.1 + 999
    EXPECT_EQ(devices[500]["mac"], "02-00-00-00-01-F4");
}

// Unicast replies land on the endpoint socket of the interface that sent the request; each
// search must hear every one of them, not only the first after the program starts.
TEST_F(CliSearchLab, TwoThousandUnicastDevicesAreAllListedInThreeSearchesInARow)
{
    ASSERT_EQ(sim_.start(Sim(2000, "10.1.0.1", "02-00-00-00-00-00", {"--unicast"})), "");
    for (int search = 1; search <= 3; ++search) {
        SCOPED_TRACE(search);
        const CliRun run = RunCli({"search", "--json", "--wait", "1000"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const json devices = Devices(run);
        const std::vector<std::string> macs = Column(devices, "mac");
        EXPECT_EQ(std::set<std::string>(macs.begin(), macs.end()).size(), 2000u);
        EXPECT_EQ(run.err, "搜索到 2000 台设备\n");
    }
}

// A receive queue far too small for the replies of one search (the way a host without the
// privilege to enlarge it fares with many devices): the replies, all sent to the endpoint socket
// of the interface that asked, are either listed or counted as dropped, and the user is told.
TEST_F(CliSearchLab, RepliesTheSystemDroppedOnTheEndpointSocketAreCountedAndTold)
{
    ASSERT_EQ(sim_.start(Sim(2000, "10.1.0.1", "02-00-00-00-00-00", {"--unicast"})), "");
    ASSERT_EQ(setenv("KTR_RECEIVE_QUEUE_BYTES", "4096", 1), 0);
    const CliRun run = RunCli({"search", "--json", "--wait", "1000"});
    unsetenv("KTR_RECEIVE_QUEUE_BYTES");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json result = ParseJson(run);
    const std::size_t listed = result["devices"].size();
    const auto dropped = result["dropped"].get<std::size_t>();
    EXPECT_LT(listed, 2000u);
    EXPECT_EQ(listed + dropped, 2000u) << listed << " listed, " << dropped << " dropped";
    EXPECT_EQ(run.err, "ktr-cli: 接收队列已满，系统丢弃了 " + std::to_string(dropped) +
                           " 个应答：设备列表可能不全，请再搜索一次\n搜索到 " +
                           std::to_string(listed) + " 台设备\n");
}

// Broadcast and unicast replies from both segments at once: each device once, heard on its own
// segment's interface.
TEST_F(CliSearchLab, BroadcastAndUnicastRepliesFromTwoSegmentsAreAllListed)
{
    ASSERT_EQ(sim_.start(Sim(1000, "10.1.0.1", "02-00-00-00-00-00", {"--unicast-every", "2"})), "");
    ASSERT_EQ(sim2_.start(Sim(1000, "10.2.0.1", "02-00-00-01-00-00", {"--unicast-every", "3"}),
                          LabHost::Dev2),
              "");
    for (int search = 1; search <= 2; ++search) {
        SCOPED_TRACE(search);
        const CliRun run = RunCli({"search", "--json", "--wait", "1000"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const json devices = Devices(run);
        ASSERT_EQ(devices.size(), 2000u) << run.err;
        // Sorted by IP: the first segment's devices, then the second's.
        EXPECT_EQ(devices[0]["ip"], "10.1.0.1");
        EXPECT_EQ(devices[1999]["ip"], "10.2.3.232");
        for (std::size_t i = 0; i < devices.size(); ++i) {
            const char *heardOn = i < 1000 ? "10.77.1.10" : "10.77.2.10";
            ASSERT_EQ(devices[i]["interfaces"], json::array({heardOn})) << devices[i].dump();
        }
        EXPECT_EQ(run.err, "搜索到 2000 台设备\n");
    }
}

TEST_F(CliSearchLab, DevicesOnTwoSegmentsAreSortedByIpAndADeviceHeardOnBothSaysSo)
{
    ASSERT_EQ(sim_.start(Sim(3, "192.168.0.200", "00-0E-EB-00-00-01")), "");
    // On the second segment: a device that also answers on the first (same MAC and IP), and one
    // with a lower address but a higher MAC.
    ASSERT_EQ(sim2_.start(Sim(1, "192.168.0.201", "00-0E-EB-00-00-02"), LabHost::Dev2), "");
    SimProcess sim3;
    ASSERT_EQ(sim3.start(Sim(1, "192.168.0.7", "00-0E-EB-00-00-99"), LabHost::Dev2), "");

    const CliRun run = RunCli({"search", "--json", "--wait", "700"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json devices = Devices(run);
    EXPECT_EQ(Column(devices, "ip"), (std::vector<std::string>{"192.168.0.7", "192.168.0.200",
                                                               "192.168.0.201", "192.168.0.202"}));
    EXPECT_EQ(devices[0]["interfaces"], json::array({"10.77.2.10"}));
    EXPECT_EQ(devices[1]["interfaces"], json::array({"10.77.1.10"}));
    EXPECT_EQ(devices[2]["interfaces"], json::array({"10.77.1.10", "10.77.2.10"}));

    const CliRun table = RunCli({"search", "--wait", "700"});
    EXPECT_NE(table.out.find("00-0E-EB-00-00-02  288       10.77.1.10, 10.77.2.10\n"),
              std::string::npos)
        << table.out;

    // Only the second interface: only the second segment's devices.
    const CliRun one = RunCli({"--interface", "10.77.2.10", "search", "--json", "--wait", "700"});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(Column(Devices(one), "mac"),
              (std::vector<std::string>{"00-0E-EB-00-00-99", "00-0E-EB-00-00-02"}));
    EXPECT_EQ(sim_.countLines("search ->"), 6u) << "the first segment heard the third search";
}

TEST_F(CliSearchLab, NoDeviceGivesItsOwnExitCode)
{
    const CliRun run = RunCli({"search", "--wait", "300"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("没有搜索到设备"), std::string::npos) << run.err;
    // What to check next: the cable and power, the second network card, the firewall.
    EXPECT_NE(run.err.find("网线是否连接"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("--interface"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("UDP 1901"), std::string::npos) << run.err;

    const CliRun json = RunCli({"search", "--json", "--wait", "300"});
    EXPECT_EQ(json.exitCode, 3);
    EXPECT_EQ(json.out, "{\n  \"devices\": [],\n  \"dropped\": 0\n}\n");
}

TEST_F(CliSearchLab, AnInterfaceTheHostLacksOrABadValueSendsNothing)
{
    UdpSocket watch = LabSocket(LabHost::Dev);
    ASSERT_TRUE(watch.isValid());

    const CliRun absent = RunCli({"search", "--interface", "10.77.9.9"});
    EXPECT_EQ(absent.exitCode, 5);
    EXPECT_NE(absent.err.find("本机没有地址 10.77.9.9"), std::string::npos) << absent.err;

    const CliRun malformed = RunCli({"search", "--interface", "10.77.1"});
    EXPECT_EQ(malformed.exitCode, 2);
    const CliRun badWait = RunCli({"search", "--wait", "soon"});
    EXPECT_EQ(badWait.exitCode, 2);
    const CliRun unknown = RunCli({"find"});
    EXPECT_EQ(unknown.exitCode, 2);

    EXPECT_TRUE(ReceiveUntilQuiet(watch, 300ms).empty());
}

TEST_F(CliSearchLab, TraceShowsEveryFrameWithTimeHexAndMeaning)
{
    ASSERT_EQ(sim_.start(Sim(2, "192.168.0.166", "00-0E-EB-12-34-56")), "");
    const CliRun run = RunCli({"--trace", "search", "--wait", "500"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = run.err.find('\n', start)) != std::string::npos;
         start = end + 1)
        lines.push_back(run.err.substr(start, end - start));
    ASSERT_EQ(lines.size(), 4u) << run.err; // one sent, two received, the count
    const std::string stamp = "^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\.[0-9]{3} ";
    EXPECT_THAT(lines[0], ::testing::MatchesRegex(
                              stamp + "发送 10.77.1.10,10.77.2.10 -> 255.255.255.255  搜索请求  "
                                      "\\[5\\] AA 00 01 02 02"));
    EXPECT_THAT(lines[1],
                ::testing::MatchesRegex(stamp + "接收 10.77.1.2 -> 10.77.1.10  搜索应答 MAC "
                                                "00-0E-EB-12-34-56 IP 192.168.0.166 固件 288  "
                                                "\\[33\\] 55 00 1D 02 00 00 00 00 A6 00 A8 C0 .*"));
    EXPECT_THAT(lines[2], ::testing::HasSubstr("搜索应答 MAC 00-0E-EB-12-34-57 IP 192.168.0.167"));
    // Without --trace standard error holds only the count.
    EXPECT_EQ(RunCli({"search", "--wait", "500"}).err, "搜索到 2 台设备\n");
}

TEST_F(CliSearchLab, HelpOnEveryCommandAndVersion)
{
    const CliRun version = RunCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "ktr-cli 3.2\n");
    const CliRun help = RunCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, ::testing::HasSubstr("退出码"));
    for (const char *command : {"search", "get", "set", "export", "apply", "mac", "reset"}) {
        const CliRun sub = RunCli({command, "--help"});
        EXPECT_EQ(sub.exitCode, 0) << command;
        EXPECT_THAT(sub.out, ::testing::HasSubstr(command));
    }
}

} // namespace
} // namespace ktr
