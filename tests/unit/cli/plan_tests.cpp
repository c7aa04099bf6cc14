// Settings plans: what a file may hold, which devices a plan names, and the static IPs a range
// hands out.
#include <gtest/gtest.h>

#include "ops/mac_text.h"
#include "tools/cli/arguments.h"
#include "tools/cli/plan.h"

namespace ktr::cli {
namespace {

using nlohmann::ordered_json;

MacAddress Mac(std::uint8_t last)
{
    return {0x00, 0x0E, 0xEB, 0x00, 0x00, last};
}

std::string ValueOf(const PlanDevice &d, const std::string &key)
{
    std::string value = "(none)";
    for (const Assignment &a : d.assignments) {
        if (a.key == key)
            value = a.value; // the last one wins, as when laid over the form
    }
    return value;
}

TEST(PlanTest, RangeHandsOutAddressesInMacOrderAndOwnSettingsWin)
{
    const auto plan = ParsePlan(ordered_json::parse(R"({
        "devices": {"00-0E-EB-00-00-09": {"report_interval": 46, "gateway": "10.0.0.254"},
                    "000eeb000003": {"static_ip": "10.0.0.50"}},
        "all_found": {"report_interval": "45"},
        "static_ip_range": "10.0.0.1-10.0.0.3"})"));
    ASSERT_TRUE(plan) << plan.error();
    const auto devices = ResolvePlan(plan.value(), {Mac(0x09), Mac(0x01), Mac(0x05)});
    ASSERT_TRUE(devices) << devices.error();
    ASSERT_EQ(devices.value().size(), 4u);
    const std::vector<PlanDevice> &d = devices.value();
    EXPECT_EQ(d[0].mac, Mac(0x01));
    EXPECT_EQ(ValueOf(d[0], "static_ip"), "10.0.0.1");
    EXPECT_EQ(d[1].mac, Mac(0x03)); // named in the plan though not found
    EXPECT_EQ(ValueOf(d[1], "static_ip"), "10.0.0.50");
    EXPECT_EQ(ValueOf(d[1], "report_interval"), "45");
    EXPECT_EQ(ValueOf(d[2], "static_ip"), "10.0.0.2");
    EXPECT_EQ(ValueOf(d[3], "static_ip"), "10.0.0.3");
    EXPECT_EQ(ValueOf(d[3], "report_interval"), "46");
    EXPECT_EQ(ValueOf(d[3], "gateway"), "10.0.0.254");
}

TEST(PlanTest, ARangeTooShortAndFoundDevicesWithoutAllFound)
{
    const auto plan = ParsePlan(
        ordered_json::parse(R"({"all_found": {}, "static_ip_range": "10.0.0.254-10.0.0.255"})"));
    ASSERT_TRUE(plan);
    EXPECT_TRUE(ResolvePlan(plan.value(), {Mac(1), Mac(2)}));
    const auto tooMany = ResolvePlan(plan.value(), {Mac(1), Mac(2), Mac(3)});
    ASSERT_FALSE(tooMany);
    EXPECT_EQ(tooMany.error(), "static_ip_range 中的地址不够 3 台设备使用");

    const auto named = ParsePlan(ordered_json::parse(R"({"devices": {"00-0E-EB-00-00-02": {}}})"));
    ASSERT_TRUE(named);
    const auto devices = ResolvePlan(named.value(), {Mac(1), Mac(2), Mac(3)});
    ASSERT_EQ(devices.value().size(), 1u) << "found devices count only with all_found";
    EXPECT_EQ(devices.value()[0].mac, Mac(2));
}

TEST(PlanTest, WhatAPlanFileMayNotHold)
{
    const std::vector<std::pair<const char *, const char *>> cases{
        {R"([])", "计划文件应为JSON对象"},
        {R"({"device": {}})", "计划文件中没有 device 这一项"},
        {R"({"devices": []})", "devices 应为以MAC地址为键的对象"},
        {R"({"devices": {"00-0E-EB-00-00": {}}})", "不是MAC地址: 00-0E-EB-00-00"},
        {R"({"devices": {"00-0E-EB-00-00-01": {"gateway": null}}})",
         "00-0E-EB-00-00-01: 字段 gateway 的值应为文本或数字"},
        {R"({"all_found": [1]})", "all_found: 设置应为JSON对象"},
        {R"({"static_ip_range": "10.0.0.9-10.0.0.1"})", "static_ip_range 应为如 "
                                                        "192.168.1.100-192.168.1.199 的地址范围"},
        {R"({"static_ip_range": "10.0.0.1"})", "static_ip_range 应为如 "
                                               "192.168.1.100-192.168.1.199 的地址范围"},
    };
    for (const auto &[text, error] : cases) {
        const auto plan = ParsePlan(ordered_json::parse(text));
        ASSERT_FALSE(plan) << text;
        EXPECT_EQ(plan.error(), error) << text;
    }
}

TEST(PlanTest, ExportIsAPlanForOneDeviceThatParsesBack)
{
    DeviceSettings settings;
    settings.network.staticIp = "10.0.0.7";
    settings.network.mac = "00-0E-EB-00-00-07";
    const ordered_json exported = ExportPlan(Mac(7), settings);
    const auto plan = ParsePlan(exported);
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan.value().devices.size(), 1u);
    EXPECT_EQ(plan.value().devices[0].mac, Mac(7));
    EXPECT_EQ(ValueOf(plan.value().devices[0], "static_ip"), "10.0.0.7");
    EXPECT_EQ(ValueOf(plan.value().devices[0], "mac"), "(none)");
}

TEST(MacArgumentTest, DashedOrTwelveDigitsOnly)
{
    EXPECT_EQ(ParseMacArgument("00-0e-EB-12-34-56"), (MacAddress{0, 0x0E, 0xEB, 0x12, 0x34, 0x56}));
    EXPECT_EQ(ParseMacArgument("000EEB123456"), (MacAddress{0, 0x0E, 0xEB, 0x12, 0x34, 0x56}));
    for (const char *bad : {"", "000EEB12345", "000EEB1234567", "000EEB12345G", "00:0E:EB:12:34:56",
                            "00-0E-EB-12-34-56-", "00-0E-EB-12-34-5G"})
        EXPECT_FALSE(ParseMacArgument(bad)) << bad;
}

} // namespace
} // namespace ktr::cli
