// The command line as a person types it: what is read into the options, and what is said, in
// Chinese, when the command line is wrong or asks for help.
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/cli/apply_batch.h"
#include "tools/cli/command_line.h"
#include "tools/cli/configure.h"

namespace ktr::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

CommandLineExit Refused(const std::vector<std::string> &args)
{
    const auto line = ParseCommandLine(args);
    EXPECT_FALSE(line) << "accepted";
    return line ? CommandLineExit{} : line.error();
}

std::string PlanFile()
{
    const std::string path = ::testing::TempDir() + "command_line_plan.json";
    std::ofstream(path) << "{}";
    return path;
}

TEST(CommandLineTest, MistakesAreSaidInChineseWithWhereToLookAndExit2)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows{
        {{},
         "ktr-cli: 请给出命令: search、get、export、set、apply、mac、reset\n用法见 ktr-cli "
         "--help\n"},
        {{"serch"}, "ktr-cli: 没有命令 serch, 是要用 search 吗?\n用法见 ktr-cli --help\n"},
        {{"gte", "000EEB123456"}, "ktr-cli: 没有命令 gte, 是要用 get 吗?\n用法见 ktr-cli --help\n"},
        {{"status"},
         "ktr-cli: 没有命令 status, 命令有 search、get、export、set、apply、mac、reset\n"
         "用法见 ktr-cli --help\n"},
        {{"--bogus", "search"}, "ktr-cli: 没有选项 --bogus\n用法见 ktr-cli search --help\n"},
        {{"search", "--wait", "abc"},
         "ktr-cli: --wait: 应为1-600000的整数, 不是 abc\n用法见 ktr-cli search --help\n"},
        {{"search", "--wait", "0"},
         "ktr-cli: --wait: 应为1-600000的整数, 不是 0\n用法见 ktr-cli search --help\n"},
        {{"search", "--wait"}, "ktr-cli: --wait 需要一个值\n用法见 ktr-cli search --help\n"},
        {{"search", "extra"}, "ktr-cli: 多余的参数: extra\n用法见 ktr-cli search --help\n"},
        {{"get"}, "ktr-cli: 缺少 MAC\n用法见 ktr-cli get --help\n"},
        {{"get", "00-0E-EB"}, "ktr-cli: MAC: 不是MAC地址: 00-0E-EB\n用法见 ktr-cli get --help\n"},
        {{"mac", "000EEB123456"}, "ktr-cli: 缺少 NEW-MAC\n用法见 ktr-cli mac --help\n"},
        {{"apply", "/no/such/plan.json"},
         "ktr-cli: PLAN: 文件不存在: /no/such/plan.json\n用法见 ktr-cli apply --help\n"},
        {{"apply", ::testing::TempDir()},
         "ktr-cli: PLAN: 是目录, 不是文件: " + ::testing::TempDir() +
             "\n用法见 ktr-cli apply --help\n"},
        {{"apply", PlanFile(), "--parallel", "0"},
         "ktr-cli: --parallel: 应为1-4096的整数, 不是 0\n用法见 ktr-cli apply --help\n"},
        {{"--interface", "1.2.3", "search"},
         "ktr-cli: --interface: 不是IPv4地址: 1.2.3\n用法见 ktr-cli search --help\n"},
    };
    for (const auto &[args, message] : rows) {
        const CommandLineExit refused = Refused(args);
        EXPECT_EQ(refused.code, 2) << message;
        EXPECT_EQ(refused.err, message);
        EXPECT_EQ(refused.out, "");
    }
}

TEST(CommandLineTest, HelpAndVersionGoToStandardOutputWithExit0)
{
    const CommandLineExit help = Refused({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_THAT(help.out, HasSubstr("用法: ktr-cli [选项] 命令"));
    EXPECT_THAT(help.out, HasSubstr("  apply "));
    EXPECT_THAT(help.out, HasSubstr("退出码:"));
    for (const char *english : {"Usage", "Options", "Subcommands", "Print this help", "REQUIRED"})
        EXPECT_THAT(help.out, Not(HasSubstr(english))) << english;

    const CommandLineExit applyHelp = Refused({"apply", "--help"});
    EXPECT_EQ(applyHelp.code, 0);
    EXPECT_THAT(applyHelp.out, HasSubstr("--parallel N"));
    EXPECT_THAT(applyHelp.out, HasSubstr("最多 500 台"));
    EXPECT_THAT(applyHelp.out, Not(HasSubstr("Positionals")));

    const CommandLineExit version = Refused({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("ktr-cli ") + KTR_EXPECTED_VERSION + "\n");
    EXPECT_EQ(version.err, "");
}

TEST(CommandLineTest, OptionsReachTheCommandWhereverTheyStand)
{
    const auto get = ParseCommandLine({"get", "000eeb123456", "--json", "--interface", "10.0.0.5"});
    ASSERT_TRUE(get);
    EXPECT_EQ(get->command, Command::Get);
    EXPECT_EQ(get->device.mac, (MacAddress{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56}));
    EXPECT_TRUE(get->device.json);
    EXPECT_EQ(get->global.interfaceAddress, 0x0A000005u);

    const auto apply = ParseCommandLine({"apply", PlanFile(), "--wait", "300"});
    ASSERT_TRUE(apply);
    EXPECT_EQ(apply->command, Command::Apply);
    EXPECT_FALSE(apply->apply.parallel);
    EXPECT_EQ(apply->apply.searchWait, std::chrono::milliseconds(300));
    const auto parallel = ParseCommandLine({"apply", PlanFile(), "--parallel", "7"});
    ASSERT_TRUE(parallel);
    EXPECT_EQ(parallel->apply.parallel, 7);

    const auto mac = ParseCommandLine({"mac", "00-0E-EB-00-00-01", "00-0E-EB-00-00-02"});
    ASSERT_TRUE(mac);
    EXPECT_EQ(mac->command, Command::Mac);
    EXPECT_EQ(mac->device.mac[5], 1);
    EXPECT_EQ(mac->newMac[5], 2);
}

TEST(CommandLineTest, TheNearestCommandIsSuggestedOnlyForASlip)
{
    const std::vector<std::string> names{"search", "get", "export", "set", "apply", "mac", "reset"};
    EXPECT_EQ(NearestName("serch", names), "search");
    EXPECT_EQ(NearestName("SEARCH", names), std::nullopt); // six changes
    EXPECT_EQ(NearestName("aplpy", names), "apply");       // a swap counts one
    EXPECT_EQ(NearestName("exprot", names), "export");
    EXPECT_EQ(NearestName("rest", names), "reset");
    EXPECT_EQ(NearestName("mc", names), "mac");
    EXPECT_EQ(NearestName("xy", names), std::nullopt);
    EXPECT_EQ(NearestName("configure", names), std::nullopt);
    EXPECT_EQ(NearestName("get", {}), std::nullopt);
}

TEST(ApplyDefaultsTest, EveryDeviceOfThePlanAtOnceUpToTheLimit)
{
    EXPECT_EQ(ParallelDevices(std::nullopt, 50), 50);
    EXPECT_EQ(ParallelDevices(std::nullopt, 1000), kDefaultParallelLimit);
    EXPECT_EQ(ParallelDevices(std::nullopt, 0), 1);
    EXPECT_EQ(ParallelDevices(4, 1000), 4);
    EXPECT_EQ(ParallelDevices(1000, 10), 1000); // the batch never starts more than it has
}

TEST(ApplyDefaultsTest, TheSummaryCountsWhatADryRunWouldChange)
{
    const auto results = [](std::vector<Outcome> outcomes) {
        std::vector<DeviceResult> list;
        for (Outcome o : outcomes)
            list.push_back(DeviceResult{{}, 0, o, {}, {}, {}});
        return list;
    };
    EXPECT_EQ(ApplySummary(results({Outcome::DryRun, Outcome::Unchanged, Outcome::DryRun}), true),
              "共 3 台设备, 将修改 2 台, 无需修改 1 台");
    EXPECT_EQ(ApplySummary(results({Outcome::DryRun, Outcome::NoAnswer, Outcome::Refused}), true),
              "共 3 台设备, 将修改 1 台, 无需修改 0 台, 失败 2 台");
    EXPECT_EQ(ApplySummary(results({Outcome::Done, Outcome::Unchanged, Outcome::Differs}), false),
              "共 3 台设备, 成功 2 台, 失败 1 台");
}

} // namespace
} // namespace ktr::cli
