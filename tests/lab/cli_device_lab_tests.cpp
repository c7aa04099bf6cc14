// ktr-cli get, set, export, apply, mac and reset on the virtual lab, against ktr-sim: what the
// program prints, its exit codes, and what the simulated devices received and kept.
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>

#include "ops/form_fields.h"
#include "tests/lab/cli_lab_support.h"
#include "tests/lab/support/lab_sockets.h"
#include "tests/lab/support/sim_process.h"

namespace ktr {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using ::testing::HasSubstr;

constexpr const char *kMac0 = "00-0E-EB-00-00-01";
constexpr const char *kMac1 = "00-0E-EB-00-00-02";

// A value each field can hold that differs from the simulator's factory settings.
template <typename Form>
std::string NewValue(const FormField<Form> &field, const std::string &current, int n)
{
    switch (field.kind) {
    case FieldKind::Address:
        return "10.9." + std::to_string(n) + ".7";
    case FieldKind::Mask:
        return "255.255.240.0";
    case FieldKind::Integer: {
        const std::int64_t value = field.max > 60000 ? 40000 + n : field.min + 1 + n % 5;
        return std::to_string(value == std::stoll(current) ? value + 1 : value);
    }
    case FieldKind::TargetAddress:
        return "主机" + std::to_string(n) + ".example";
    case FieldKind::Choice:
        for (std::string_view item : field.items) {
            if (item != current)
                return std::string(item);
        }
        return {};
    case FieldKind::Mac:
        return current;
    case FieldKind::TerminalAddress:
        return "1a2b3c4d";
    case FieldKind::Temperature:
        return field.key.ends_with("high") ? "85.5" : "-20.5";
    case FieldKind::Humidity:
        return field.key.ends_with("high") ? "80.5" : "5.5";
    }
    return {};
}

class CliDeviceLab : public CliLab
{
protected:
    void start(int devices, std::vector<std::string> extra = {})
    {
        extra.insert(extra.end(), {"--restart-ms", "800"});
        ASSERT_EQ(sim_.start(Sim(devices, "192.168.0.10", kMac0, extra)), "");
    }
    // Writes a simulated device took (answered lines; "ignored" ones changed nothing).
    std::size_t writes() const { return TakenWrites(sim_); }
};

TEST_F(CliDeviceLab, EveryFieldSetIsReadBackAsSet)
{
    start(2);
    const CliRun before = RunCli({"get", kMac1, "--json"});
    ASSERT_EQ(before.exitCode, 0) << before.err;
    const json current = ParseJson(before);
    EXPECT_EQ(current["mac"], kMac1);
    EXPECT_EQ(current["static_ip"], "192.168.0.11");

    std::vector<std::string> args{"set", kMac1};
    std::map<std::string, std::string> wanted;
    int n = 0;
    auto add = [&](const auto &fields) {
        for (const auto &field : fields) {
            if (field.key == "mac")
                continue;
            wanted[field.key] =
                NewValue(field, current[field.key].template get<std::string>(), ++n);
            ASSERT_NE(wanted[field.key], current[field.key]) << field.key;
            args.push_back(field.key + "=" + wanted[field.key]);
        }
    };
    add(NetworkFields());
    add(DeviceFields());
    const CliRun set = RunCli(args);
    ASSERT_EQ(set.exitCode, 0) << set.out << set.err;
    EXPECT_THAT(set.out, HasSubstr("参数已写入并读回验证"));

    const json after = ParseJson(RunCli({"get", kMac1, "--json"}));
    for (const auto &[key, value] : wanted)
        EXPECT_EQ(after[key], value) << key;
    // The other device kept its settings.
    EXPECT_EQ(ParseJson(RunCli({"get", kMac0, "--json"}))["static_ip"], "192.168.0.10");

    // The text form lists the same fields, aligned, one a line.
    const CliRun text = RunCli({"get", kMac1});
    EXPECT_THAT(text.out, HasSubstr("server3_target_address  服务器3 目标地址    主机"));
    EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'),
              static_cast<long>(NetworkFields().size() + DeviceFields().size() + 1));
}

TEST_F(CliDeviceLab, InvalidValuesAreRefusedWithNothingOnTheWire)
{
    start(1);
    UdpSocket watch = LabSocket(LabHost::Dev);
    ASSERT_TRUE(watch.isValid());
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"server3_target_port=65536"}, "服务器3 目标端口"},
        {{"gateway= 192.168.0.1x"}, "网关地址"},
        {{"static_ip="}, "静态IP"},
        {{"channel2_hum_high=6553.6"}, "2号通道 湿度上限"},
        {{"terminal_address=中文终端"}, "终端地址"},
        {{"parity=MARK"}, "校验位"},
        {{"colour=red"}, "没有字段 colour"},
        {{"mac=00-0E-EB-00-00-09"}, "ktr-cli mac"},
        {{"no_equals_sign"}, "字段=值"},
    };
    for (const auto &[assignments, named] : cases) {
        std::vector<std::string> args{"set", kMac0};
        args.insert(args.end(), assignments.begin(), assignments.end());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, 2) << assignments[0];
        EXPECT_THAT(run.err, HasSubstr(named)) << assignments[0];
        EXPECT_EQ(run.out, "");
    }
    const std::string file = WriteFile("bad.json", R"({"server1_local_port": true})");
    EXPECT_EQ(RunCli({"set", kMac0, "--file", file}).exitCode, 2);
    EXPECT_TRUE(ReceiveUntilQuiet(watch, 300ms).empty()) << "a refused value sent something";

    // A pair of limits only known to be wrong once the device is read: read, but not written.
    const CliRun order = RunCli({"set", kMac0, "channel1_temp_low=60.0"});
    EXPECT_EQ(order.exitCode, 2);
    EXPECT_THAT(order.err, HasSubstr("1号通道"));
    EXPECT_EQ(writes(), 0u);

    // A static IP that is the broadcast or network address under the mask the device holds
    // would leave it unreachable: read, but not written, by set and by a plan without a mask.
    const CliRun broadcast = RunCli({"set", kMac0, "static_ip=192.168.0.255"});
    EXPECT_EQ(broadcast.exitCode, 2);
    EXPECT_THAT(broadcast.err, HasSubstr("192.168.0.255 是子网掩码 255.255.255.0 下的广播地址"));
    const std::string plan =
        WriteFile("network-address.json",
                  R"({"devices": {"00-0E-EB-00-00-01": {"static_ip": "192.168.0.0"}}})");
    const CliRun applied = RunCli({"apply", plan, "--json"});
    EXPECT_EQ(applied.exitCode, 6) << applied.err;
    const json line = ParseJson(applied);
    EXPECT_EQ(line["outcome"], "refused");
    EXPECT_THAT(line["detail"].get<std::string>(),
                HasSubstr("192.168.0.0 是子网掩码 255.255.255.0 下的网络地址"));
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(ParseJson(RunCli({"get", kMac0, "--json"}))["static_ip"], "192.168.0.10");
}

TEST_F(CliDeviceLab, DryRunPrintsTheFramesAndWritesNothing)
{
    start(1);
    const CliRun run =
        RunCli({"set", kMac0, "--dry-run", "gateway=192.168.0.254", "report_interval=60"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(
        run.out,
        HasSubstr("设备参数通道请求 MAC 00-0E-EB-00-00-01 下载设备参数  [107] AA 00 67 0A"));
    EXPECT_THAT(run.out,
                HasSubstr("写入网络参数请求 MAC 00-0E-EB-00-00-01 静态IP 192.168.0.10 掩码 "
                          "255.255.255.0 网关 192.168.0.254  [303] AA 01 2B 04"));
    EXPECT_THAT(run.out, HasSubstr("gateway"));
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(ParseJson(RunCli({"get", kMac0, "--json"}))["gateway"], "192.168.0.1");
}

TEST_F(CliDeviceLab, MisbehavingDevicesGiveTheirOutcomeAndExitCode)
{
    // Device k misbehaves as its index says; device 5 behaves.
    start(6, {"--drop", "0", "--wrong-mac", "1", "--bad-crc", "2", "--short-reply", "3", "--delay",
              "4", "--delay-ms", "1000", "--duplicate", "5"});
    const auto mac = [](int k) {
        return "00-0E-EB-00-00-0" + std::to_string(k + 1);
    };
    for (int k : {0, 1, 3}) {
        const auto started = std::chrono::steady_clock::now();
        const CliRun run = RunCli({"get", mac(k)});
        EXPECT_EQ(run.exitCode, 4) << k;
        EXPECT_THAT(run.err, HasSubstr("没有应答")) << k;
        // A silent device may be off or its MAC mistyped: the message says how to find out.
        EXPECT_THAT(run.err, HasSubstr("MAC地址是否正确 (ktr-cli search 列出应答的设备)")) << k;
        // One attempt and one retry, 1.5 s each.
        EXPECT_LT(std::chrono::steady_clock::now() - started, 4500ms) << k;
    }
    const CliRun badCrc = RunCli({"get", mac(2)});
    EXPECT_EQ(badCrc.exitCode, 4);
    EXPECT_THAT(badCrc.err, HasSubstr("没有应答读取设备参数"));
    EXPECT_EQ(RunCli({"set", mac(2), "gateway=192.168.0.2"}).exitCode, 0)
        << "the network settings have no CRC to break";

    EXPECT_EQ(RunCli({"get", mac(4)}).exitCode, 0) << "a reply within the attempt's time";
    const CliRun duplicated =
        RunCli({"set", mac(5), "heartbeat_interval=90", "gateway=192.168.0.3"});
    EXPECT_EQ(duplicated.exitCode, 0) << duplicated.err;
    EXPECT_EQ(RunCli({"set", mac(0), "heartbeat_interval=90"}).exitCode, 4);
}

TEST_F(CliDeviceLab, AWriteTheDeviceIgnoresFailsWithTheFieldsThatDiffer)
{
    start(3, {"--ignore-writes", "1"});
    const CliRun network =
        RunCli({"set", kMac1, "gateway=192.168.0.254", "static_ip=192.168.0.77"});
    EXPECT_EQ(network.exitCode, 1);
    EXPECT_THAT(network.err, HasSubstr("设备读回的参数与写入的不同"));
    EXPECT_THAT(network.out, HasSubstr("static_ip  静态IP    192.168.0.77   192.168.0.11"));
    EXPECT_THAT(network.out, HasSubstr("gateway    网关地址  192.168.0.254  192.168.0.1"));

    const CliRun device = RunCli({"set", kMac1, "login_interval=99"});
    EXPECT_EQ(device.exitCode, 1);
    EXPECT_THAT(device.out, HasSubstr("login_interval"));

    const std::string plan =
        WriteFile("ignored.json", R"({"all_found": {"heartbeat_interval": "77"}})");
    const CliRun apply = RunCli({"apply", plan});
    EXPECT_EQ(apply.exitCode, 6);
    EXPECT_THAT(apply.out, HasSubstr("00-0E-EB-00-00-02  -       未生效  heartbeat_interval"));
    EXPECT_THAT(apply.err, HasSubstr("共 3 台设备, 成功 2 台, 失败 1 台"));
}

TEST_F(CliDeviceLab, ApplyGivesTwoHundredDevicesTheirStaticIpsAndARerunChangesNothing)
{
    start(200);
    const std::string plan = WriteFile(
        "plan.json", R"({"all_found": {"subnet_mask": "255.255.0.0", "report_interval": 45},
                         "static_ip_range": "10.20.0.1-10.20.0.250",
                         "devices": {"00-0E-EB-00-00-05": {"report_interval": "46"}}})");
    const CliRun run = RunCli({"apply", plan, "--json"}, {}, 120s);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<json> results = ParseJsonLines(run.out);
    ASSERT_EQ(results.size(), 200u);
    for (std::size_t k = 0; k < results.size(); ++k) {
        EXPECT_EQ(results[k]["outcome"], "done") << k << results[k].dump();
        EXPECT_EQ(results[k]["ip"], "10.20.0." + std::to_string(k + 1)) << k;
    }
    EXPECT_EQ(ParseJson(RunCli({"get", "00-0E-EB-00-00-05", "--json"}))["report_interval"], "46");
    const json last = ParseJson(RunCli({"get", "00-0E-EB-00-00-C8", "--json"}));
    EXPECT_EQ(last["static_ip"], "10.20.0.200");
    EXPECT_EQ(last["subnet_mask"], "255.255.0.0");
    EXPECT_EQ(last["report_interval"], "45");

    const std::size_t writesBefore = writes();
    const CliRun again = RunCli({"apply", plan}, {}, 120s);
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(writes(), writesBefore) << "the re-run wrote again";
    EXPECT_EQ(std::count(again.out.begin(), again.out.end(), '\n'), 201);
    EXPECT_THAT(again.out, ::testing::Not(HasSubstr("完成")));
    EXPECT_THAT(again.out, HasSubstr("00-0E-EB-00-00-C8  10.20.0.200  无需修改"));
}

TEST_F(CliDeviceLab, ExportThenApplyChangesNothingAndSetsAnotherDeviceTheSame)
{
    start(2);
    ASSERT_EQ(RunCli({"set", kMac0, "server5_target_address=云端.example", "work_mode=温湿度探头"})
                  .exitCode,
              0);
    const CliRun exported = RunCli({"export", kMac0});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const std::string file = WriteFile("dev.json", exported.out);
    const CliRun apply = RunCli({"apply", file});
    EXPECT_EQ(apply.exitCode, 0) << apply.err;
    EXPECT_THAT(apply.out, HasSubstr("无需修改"));
    EXPECT_EQ(writes(), 2u) << "only the set wrote (device and network record)";

    // The same settings for the other device, from the file `get --json` wrote.
    json settings = ParseJson(RunCli({"get", kMac0, "--json"}));
    settings.erase("mac");
    settings.erase("static_ip");
    const std::string other = WriteFile("other.json", settings.dump());
    const CliRun set = RunCli({"set", kMac1, "--file", other});
    EXPECT_EQ(set.exitCode, 0) << set.err;
    const json copied = ParseJson(RunCli({"get", kMac1, "--json"}));
    EXPECT_EQ(copied["server5_target_address"], "云端.example");
    EXPECT_EQ(copied["work_mode"], "温湿度探头");
    EXPECT_EQ(copied["static_ip"], "192.168.0.11");
}

TEST_F(CliDeviceLab, MacWriteIsVerifiedUnderTheNewMac)
{
    start(1);
    const CliRun run = RunCli({"mac", kMac0, "02-00-00-00-00-42"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("MAC地址已由 00-0E-EB-00-00-01 改为 02-00-00-00-00-42"));
    EXPECT_EQ(RunCli({"get", "020000000042", "--json"}).exitCode, 0);
    EXPECT_EQ(RunCli({"get", kMac0}).exitCode, 4);
    EXPECT_EQ(RunCli({"mac", kMac0, "02-00-00-00-00-43"}).exitCode, 4) << "no such device";
}

TEST_F(CliDeviceLab, MacsThatWouldBreakADeviceOrTheLanAreRefusedWithNothingWritten)
{
    start(2);
    UdpSocket watch = LabSocket(LabHost::Dev);
    ASSERT_TRUE(watch.isValid());
    const std::vector<std::pair<std::string, std::string>> unusable{
        {"00-00-00-00-00-00", "全为零"},    {"FF-FF-FF-FF-FF-FF", "广播地址"},
        {"01-00-5e-00-00-fb", "组播地址"},  {"030000000001", "组播地址"},
        {kMac0, "与设备当前的MAC地址相同"},
    };
    for (const auto &[newMac, reason] : unusable) {
        const CliRun run = RunCli({"mac", kMac0, newMac});
        EXPECT_EQ(run.exitCode, 2) << newMac;
        EXPECT_THAT(run.err, HasSubstr(reason)) << newMac;
        EXPECT_THAT(run.err, HasSubstr("没有写入")) << newMac;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(ReceiveUntilQuiet(watch, 300ms).empty()) << "a refused MAC sent something";
    EXPECT_EQ(writes(), 0u);

    // Another device answers to it: asked for, found, and nothing written to either.
    const CliRun taken = RunCli({"mac", kMac0, kMac1});
    EXPECT_EQ(taken.exitCode, 2);
    EXPECT_THAT(taken.err, HasSubstr("已被局域网上的另一台设备使用"));
    EXPECT_EQ(writes(), 0u);
    EXPECT_EQ(ParseJson(RunCli({"get", kMac0, "--json"}))["static_ip"], "192.168.0.10");
    EXPECT_EQ(ParseJson(RunCli({"get", kMac1, "--json"}))["static_ip"], "192.168.0.11");
}

TEST_F(CliDeviceLab, ResetAsksUnlessYesAndIsVerified)
{
    start(1);
    ASSERT_EQ(RunCli({"set", kMac0, "gateway=192.168.0.99"}).exitCode, 0);
    const std::size_t written = writes();
    const CliRun refused = RunCli({"reset", kMac0}, "y\n");
    EXPECT_EQ(refused.exitCode, 2) << "not a terminal, no --yes";
    EXPECT_THAT(refused.err, HasSubstr("--yes"));
    EXPECT_EQ(writes(), written);

    const CliRun reset = RunCli({"reset", kMac0, "--yes"});
    EXPECT_EQ(reset.exitCode, 0) << reset.err;
    EXPECT_THAT(reset.out, HasSubstr("已恢复出厂设置"));
    EXPECT_EQ(ParseJson(RunCli({"get", kMac0, "--json"}))["gateway"], "192.168.0.1");
}

// A device that answers late: the answer to the retry of the read before the write arrives
// while the device restarts. It shows the old values and is no verdict; the written values
// read back afterwards are.
TEST_F(CliDeviceLab, ADelayedDeviceHasItsWriteVerifiedAndItsResetReportsTheFactoryIp)
{
    start(1, {"--delay", "0", "--delay-ms", "2000"});
    const CliRun set = RunCli({"set", kMac0, "static_ip=192.168.0.50"}, {}, 60s);
    EXPECT_EQ(set.exitCode, 0) << set.err;
    EXPECT_THAT(set.out, HasSubstr("参数已写入并读回验证"));

    const CliRun reset = RunCli({"reset", kMac0, "--yes"}, {}, 60s);
    EXPECT_EQ(reset.exitCode, 0) << reset.err;
    EXPECT_THAT(reset.out, HasSubstr("IP 192.168.0.10")) << "the factory IP, not 192.168.0.50";
}

TEST_F(CliDeviceLab, AResetOrMacChangeTheDeviceIgnoresIsNotReportedDone)
{
    start(2, {"--ignore-writes", "0"});
    ASSERT_EQ(RunCli({"set", kMac1, "gateway=192.168.0.99"}).exitCode, 0);
    const CliRun reset = RunCli({"reset", kMac0, "--yes"}, {}, 60s);
    EXPECT_EQ(reset.exitCode, 1);
    EXPECT_THAT(reset.out, ::testing::Not(HasSubstr("已恢复出厂设置")));
    EXPECT_THAT(reset.err, HasSubstr("恢复出厂设置没有生效"));
    // The same request to a device that takes it is done.
    const CliRun taken = RunCli({"reset", kMac1, "--yes"}, {}, 60s);
    EXPECT_EQ(taken.exitCode, 0) << taken.err;
    EXPECT_THAT(taken.out, HasSubstr("已恢复出厂设置"));

    const CliRun mac = RunCli({"mac", kMac0, "02-00-00-00-00-42"}, {}, 60s);
    EXPECT_EQ(mac.exitCode, 1);
    EXPECT_THAT(mac.err, HasSubstr("设备仍在旧MAC地址00-0E-EB-00-00-01应答"));
}

TEST_F(CliDeviceLab, AnUnacknowledgedDeviceWriteStopsBeforeTheNetworkWrite)
{
    start(2, {"--ignore-writes", "1"});
    const CliRun run = RunCli({"set", kMac1, "heartbeat_interval=90", "gateway=192.168.0.3"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_THAT(run.err, HasSubstr("网络参数没有写入"));
    std::size_t networkWrites = 0;
    for (const std::string &line : sim_.lines())
        networkWrites += line.find("write-network") != std::string::npos ? 1 : 0;
    EXPECT_EQ(networkWrites, 0u) << "no network write after an unacknowledged device write";
}

// The check lasts the ten seconds the manual gives it: a device back after 9.5 s is verified.
TEST_F(CliDeviceLab, ADeviceBackJustBeforeTheTenSecondsIsVerified)
{
    ASSERT_EQ(sim_.start(Sim(1, "192.168.0.10", kMac0, {"--restart-ms", "9500"})), "");
    const CliRun set = RunCli({"set", kMac0, "gateway=192.168.0.7"}, {}, 60s);
    EXPECT_EQ(set.exitCode, 0) << set.err;
    EXPECT_THAT(set.out, HasSubstr("参数已写入并读回验证"));
}

} // namespace
} // namespace ktr
