// Settings plans: what a file may hold, which devices a plan names, and the static IPs a range
// hands out.
#include <gtest/gtest.h>
#include <map>
#include <set>

#include "ops/mac_text.h"
#include "ops/text_convert.h"
#include "tools/cli/arguments.h"
#include "tools/cli/plan.h"
#include "tools/cli/search.h"
#include "tools/cli/strict_json.h"
#include "tools/parse_number.h"

namespace ktr::cli {
namespace {

using nlohmann::ordered_json;

MacAddress Mac(std::uint8_t last)
{
    return {0x00, 0x0E, 0xEB, 0x00, 0x00, last};
}

// A device a search heard, answering at ip.
SearchReply Heard(std::uint8_t last, const char *ip)
{
    return {ParseIpv4(ip).value(), Mac(last), 288, kDeviceName};
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
    const auto devices =
        ResolvePlan(plan.value(), {Heard(0x09, "192.168.0.9"), Heard(0x01, "192.168.0.1"),
                                   Heard(0x05, "192.168.0.5")});
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
        ordered_json::parse(R"({"all_found": {}, "static_ip_range": "10.0.0.253-10.0.0.254"})"));
    ASSERT_TRUE(plan);
    const SearchReply one = Heard(1, "192.168.0.1"), two = Heard(2, "192.168.0.2"),
                      three = Heard(3, "192.168.0.3");
    EXPECT_TRUE(ResolvePlan(plan.value(), {one, two}));
    const auto tooMany = ResolvePlan(plan.value(), {one, two, three});
    ASSERT_FALSE(tooMany);
    EXPECT_EQ(tooMany.error(), "static_ip_range 中的地址不够 3 台设备使用");

    const auto named = ParsePlan(ordered_json::parse(R"({"devices": {"00-0E-EB-00-00-02": {}}})"));
    ASSERT_TRUE(named);
    const auto devices = ResolvePlan(named.value(), {one, two, three});
    ASSERT_EQ(devices.value().size(), 1u) << "found devices count only with all_found";
    EXPECT_EQ(devices.value()[0].mac, Mac(2));
}

// A range crossing subnet boundaries skips each subnet's network and broadcast address under the
// mask the plan gives the device (without one: the common 255.255.255.0), also for a device that
// answers at one of them; an explicit static IP that is one of them under the plan's mask is
// refused before anything is sent.
TEST(PlanTest, NoDeviceIsGivenItsSubnetsNetworkOrBroadcastAddress)
{
    const auto given = [](const char *text, const std::vector<SearchReply> &found) {
        const auto plan = ParsePlan(ordered_json::parse(text));
        EXPECT_TRUE(plan) << text;
        const auto devices = ResolvePlan(plan.value(), found);
        std::vector<std::string> ips;
        if (!devices)
            return std::vector<std::string>{devices.error()};
        for (const PlanDevice &d : devices.value())
            ips.push_back(ValueOf(d, "static_ip"));
        return ips;
    };
    const std::vector<SearchReply> three{Heard(1, "192.168.0.1"), Heard(2, "192.168.0.2"),
                                         Heard(3, "192.168.0.3")};
    using Ips = std::vector<std::string>;
    EXPECT_EQ(given(R"({"all_found": {}, "static_ip_range": "10.0.0.254-10.0.1.2"})", three),
              (Ips{"10.0.0.254", "10.0.1.1", "10.0.1.2"}));
    EXPECT_EQ(given(R"({"all_found": {"subnet_mask": "255.255.254.0"},
                        "static_ip_range": "10.0.0.254-10.0.1.2"})",
                    three),
              (Ips{"10.0.0.254", "10.0.0.255", "10.0.1.0"}));
    EXPECT_EQ(given(R"({"all_found": {}, "static_ip_range": "10.0.0.126-10.0.0.130",
                        "devices": {"00-0E-EB-00-00-02": {"subnet_mask": "255.255.255.128"}}})",
                    three),
              (Ips{"10.0.0.126", "10.0.0.129", "10.0.0.127"}))
        << "the device with the narrow mask takes neither .127 nor .128";
    EXPECT_EQ(given(R"({"all_found": {}, "static_ip_range": "10.0.0.126-10.0.0.130",
                        "devices": {"00-0E-EB-00-00-03": {"subnet_mask": "255.255.255.128"}}})",
                    {Heard(1, "10.0.0.126"), Heard(2, "10.0.0.127"), Heard(3, "10.0.0.127")}),
              (Ips{"10.0.0.126", "10.0.0.127", "10.0.0.129"}))
        << "a device keeps an address that is a host under its mask, not one that is not";
    EXPECT_EQ(given(R"({"all_found": {}, "static_ip_range": "10.0.0.254-10.0.1.1"})", three),
              (Ips{"static_ip_range 中的地址不够 3 台设备使用"}));

    const std::vector<std::pair<const char *, const char *>> refused{
        {R"({"devices": {"00-0E-EB-00-00-01": {"static_ip": "10.0.0.255",
                                               "subnet_mask": "255.255.255.0"}}})",
         "设备 00-0E-EB-00-00-01 的 static_ip 10.0.0.255 是子网掩码 255.255.255.0 下的广播地址, "
         "设备将无法访问"},
        {R"({"all_found": {"subnet_mask": "255.255.0.0"},
             "devices": {"00-0E-EB-00-00-02": {"static_ip": "10.1.0.0"}}})",
         "设备 00-0E-EB-00-00-02 的 static_ip 10.1.0.0 是子网掩码 255.255.0.0 下的网络地址, "
         "设备将无法访问"},
    };
    for (const auto &[text, error] : refused) {
        const auto plan = ParsePlan(ordered_json::parse(text));
        ASSERT_TRUE(plan) << text;
        const auto named = ResolvePlan(plan.value(), {});
        ASSERT_FALSE(named) << text;
        EXPECT_EQ(named.error(), error);
    }
    // Without a mask in the plan the device keeps its own, which only the write can check.
    EXPECT_EQ(given(R"({"devices": {"00-0E-EB-00-00-01": {"static_ip": "10.0.0.255"}}})", {}),
              (Ips{"10.0.0.255"}));
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

// Which static IP each device is given: "mac-last-octet=ip ..." in MAC order, or the refusal.
std::string StaticIps(const char *planText, const std::vector<SearchReply> &found)
{
    const auto text = ParseStrictJson(planText);
    if (!text)
        return text.error();
    const auto plan = ParsePlan(text.value());
    if (!plan)
        return plan.error();
    const auto devices = ResolvePlan(plan.value(), found);
    if (!devices)
        return devices.error();
    std::string out;
    for (const PlanDevice &d : devices.value())
        out += (out.empty() ? "" : " ") + std::to_string(d.mac[5]) + "=" + ValueOf(d, "static_ip");
    return out;
}

TEST(PlanTest, StaticIpsAreGivenOnceAndStayWhereTheDevicesAre)
{
    struct Row
    {
        const char *what;
        const char *plan;
        std::vector<SearchReply> found;
        std::string expected;
    };
    const std::vector<Row> rows{
        {"devices already in the range keep their addresses; the others fill the gaps",
         R"({"all_found": {}, "static_ip_range": "10.0.0.1-10.0.0.9"})",
         {Heard(1, "192.168.0.1"), Heard(2, "10.0.0.3"), Heard(3, "10.0.0.1"),
          Heard(4, "10.0.0.1")},
         "1=10.0.0.2 2=10.0.0.3 3=10.0.0.1 4=10.0.0.4"},
        {"a device missed by the last run takes a free address and moves nobody",
         R"({"all_found": {}, "static_ip_range": "10.0.0.1-10.0.0.9"})",
         {Heard(1, "192.168.0.1"), Heard(2, "10.0.0.1"), Heard(3, "10.0.0.2")},
         "1=10.0.0.3 2=10.0.0.1 3=10.0.0.2"},
        {"addresses of found devices outside the plan and static IPs by name are skipped",
         R"({"devices": {"00-0E-EB-00-00-01": {}, "00-0E-EB-00-00-02": {"static_ip": "10.0.0.2"},
                         "00-0E-EB-00-00-03": {}},
             "static_ip_range": "10.0.0.1-10.0.0.9"})",
         {Heard(9, "10.0.0.1"), Heard(1, "192.168.0.1")},
         "1=10.0.0.3 2=10.0.0.2 3=10.0.0.4"},
        {"a device keeps the address it already has as its own static IP",
         R"({"devices": {"00-0E-EB-00-00-01": {"static_ip": "10.0.0.7"}}})",
         {Heard(1, "10.0.0.7"), Heard(2, "10.0.0.8")},
         "1=10.0.0.7"},
        {"the last static_ip of a device counts, as on the page",
         R"({"all_found": {"static_ip": "10.0.0.5"},
             "devices": {"00-0E-EB-00-00-02": {"static_ip": "10.0.0.6"}}})",
         {Heard(2, "192.168.0.2")},
         "2=10.0.0.6"},
        {"two devices, one address by name",
         R"({"devices": {"00-0E-EB-00-00-01": {"static_ip": "10.0.0.5"},
                         "00-0E-EB-00-00-02": {"static_ip": "10.0.0.5"}}})",
         {},
         "设备 00-0E-EB-00-00-01 与设备 00-0E-EB-00-00-02 的 static_ip 都是 10.0.0.5"},
        {"one address for every device found",
         R"({"all_found": {"static_ip": "10.0.0.5"}})",
         {Heard(3, "192.168.0.3"), Heard(1, "192.168.0.1")},
         "设备 00-0E-EB-00-00-01 与设备 00-0E-EB-00-00-03 的 static_ip 都是 10.0.0.5"},
        {"an address that another found device answers at",
         R"({"devices": {"00-0E-EB-00-00-01": {"static_ip": "10.0.0.8"}}})",
         {Heard(1, "10.0.0.7"), Heard(2, "10.0.0.8")},
         "设备 00-0E-EB-00-00-01 的 static_ip 10.0.0.8 已被搜索到的设备 00-0E-EB-00-00-02 使用"},
        {"a range too small for the devices named, known before any search",
         R"({"devices": {"000EEB000001": {}, "000EEB000002": {}, "000EEB000003": {}},
             "static_ip_range": "10.0.0.1-10.0.0.2"})",
         {},
         "static_ip_range 中的地址不够 3 台设备使用"},
        {"a range whose addresses other devices hold",
         R"({"all_found": {}, "static_ip_range": "10.0.0.1-10.0.0.3"})",
         {Heard(1, "192.168.0.1"), Heard(2, "192.168.0.2"), Heard(3, "10.0.0.1")},
         "1=10.0.0.2 2=10.0.0.3 3=10.0.0.1"},
        {"... and one device more",
         R"({"devices": {"000EEB000001": {}, "000EEB000002": {}},
             "static_ip_range": "10.0.0.1-10.0.0.3"})",
         {Heard(7, "10.0.0.2"), Heard(8, "10.0.0.3")},
         "static_ip_range 中的地址不够 2 台设备使用 (范围内 3 个地址中 2 个已被其他设备占用)"},
        {"the same MAC in two spellings",
         R"({"devices": {"00-0e-eb-00-00-01": {"gateway": "10.0.0.1"},
                         "000EEB000001": {"gateway": "10.0.0.2"}}})",
         {},
         "设备 00-0E-EB-00-00-01 在 devices 中出现了两次 (00-0e-eb-00-00-01 与 000EEB000001)"},
        {"two devices members",
         R"({"devices": {"00-0E-EB-00-00-01": {}}, "devices": {"00-0E-EB-00-00-02": {}}})",
         {},
         "键 devices 出现了两次"},
        {"a field twice for one device",
         R"({"devices": {"00-0E-EB-00-00-01": {"static_ip": "10.0.0.1", "static_ip": "10.0.0.2"}}})",
         {},
         "键 devices.00-0E-EB-00-00-01.static_ip 出现了两次"},
        {"a field twice for every device",
         R"({"all_found": {"gateway": "10.0.0.1", "subnet_mask": "255.0.0.0", "gateway": "10.0.0.2"}})",
         {},
         "键 all_found.gateway 出现了两次"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(StaticIps(row.plan, row.found), row.expected) << row.what;
}

// Devices that were off during one run (every seventh) and answer in the next take free
// addresses and move nobody; a third run changes nothing.
TEST(PlanTest, DevicesMissingFromOneRunMoveNobodyInTheNext)
{
    const auto plan = ParsePlan(
        ordered_json::parse(R"({"all_found": {}, "static_ip_range": "10.1.0.1-10.1.3.255"})"));
    ASSERT_TRUE(plan);
    constexpr int kDevices = 300;
    std::map<MacAddress, std::uint32_t> at; // where each device answers
    for (int k = 0; k < kDevices; ++k)
        at[MacAddress{0x00, 0x0E, 0xEB, 0x00, static_cast<std::uint8_t>(k >> 8),
                      static_cast<std::uint8_t>(k)}] = 0xC0A80000u + static_cast<std::uint32_t>(k);
    for (int run = 0; run < 3; ++run) {
        std::vector<SearchReply> found;
        int k = 0;
        for (const auto &[mac, ip] : at) {
            if (run > 0 || k++ % 7 != 3)
                found.push_back({ip, mac, 0, {}});
        }
        const auto devices = ResolvePlan(plan.value(), found);
        ASSERT_TRUE(devices) << devices.error();
        ASSERT_EQ(devices.value().size(), found.size());
        std::set<std::string> given;
        for (const PlanDevice &d : devices.value()) {
            const std::string ip = ValueOf(d, "static_ip");
            EXPECT_TRUE(given.insert(ip).second) << "run " << run << ": " << ip << " twice";
            const std::uint32_t before = at[d.mac];
            if (before >> 16 == 0x0A01) {
                EXPECT_EQ(ip, FormatDottedAddress(before)) << "run " << run << " moved a device";
            }
            at[d.mac] = ParseIpv4(ip).value();
        }
    }
    for (const auto &[mac, ip] : at)
        EXPECT_EQ(ip >> 16, 0x0A01u) << FormatMacDashed(mac) << " never configured";
}

TEST(PlanTest, APlanNeedsASearchWhenItGivesStaticIps)
{
    const std::vector<std::pair<const char *, bool>> rows{
        {R"({"devices": {"000EEB000001": {"gateway": "10.0.0.1"}}})", false},
        {R"({"devices": {"000EEB000001": {"static_ip": "10.0.0.1"}}})", true},
        {R"({"devices": {"000EEB000001": {}}, "static_ip_range": "10.0.0.1-10.0.0.2"})", true},
        {R"({"all_found": {"gateway": "10.0.0.1"}})", true},
    };
    for (const auto &[text, needed] : rows)
        EXPECT_EQ(PlanNeedsSearch(ParsePlan(ordered_json::parse(text)).value()), needed) << text;
}

TEST(StrictJsonTest, KeysTwiceInOneObjectOnly)
{
    const std::vector<std::pair<const char *, const char *>> rows{
        {R"({"a": 1, "b": {"a": 2}, "c": [{"a": 3}, {"a": 4}]})", ""},
        {R"({"a": 1, "a": 1})", "键 a 出现了两次"},
        {R"({"a": {"b": {"c": 1, "d": 2, "c": 3}}})", "键 a.b.c 出现了两次"},
        {R"({"a": [{"x": 1}, {"y": 2, "y": 2}]})", "键 a.y 出现了两次"},
        // Where it stops being JSON: the character the parser could not take.
        {R"({"a": 1,})", "不是有效的JSON: 第 1 行第 9 列有错"},
        {R"({"a": 1} {"a": 1})", "不是有效的JSON: 第 1 行第 10 列有错"},
        {"{\n  \"名称\": \"温度\",\n  \"b\": tru\n}", "不是有效的JSON: 第 3 行第 11 列有错"},
        {"{\n  \"名称\": 温度\n}", "不是有效的JSON: 第 2 行第 9 列有错"}, // characters, not bytes
        {"{\"a\": 1", "不是有效的JSON: 第 1 行第 8 列有错"},
        {"", "不是有效的JSON: 第 1 行第 1 列有错"},
    };
    for (const auto &[text, error] : rows) {
        const auto json = ParseStrictJson(text);
        EXPECT_EQ(json ? "" : json.error(), error) << text;
    }
    EXPECT_EQ(ParseStrictJson(R"({"b": 2, "a": [1, {"c": null}]})").value().dump(),
              R"({"b":2,"a":[1,{"c":null}]})");
}

// A search's MAC addresses, one list per search; an empty optional: the request went out nowhere.
using Searches = std::vector<std::optional<std::vector<std::uint8_t>>>;

TEST(SearchUntilAgreedTest, TwoSearchesInARowMustHearTheSameDevices)
{
    struct Row
    {
        Searches searches;
        int made;
        bool agreed;
    };
    using List = std::vector<std::uint8_t>;
    const std::vector<Row> rows{
        {{List{1, 2}, List{2, 1}}, 2, true},
        {{List{1}, List{1, 2}, List{1, 2}}, 3, true},
        {{List{}, List{}}, 2, true},
        {{List{1, 2}, List{1}, List{1, 2}, List{2}, List{1, 2}, List{1, 2}}, 5, false},
        {{List{1}, std::nullopt}, 2, false},
    };
    for (const Row &row : rows) {
        std::size_t next = 0;
        const auto search = [&]() -> std::optional<std::vector<FoundDevice>> {
            const auto &macs = row.searches.at(next++);
            if (!macs)
                return std::nullopt;
            std::vector<FoundDevice> found;
            for (std::uint8_t last : *macs)
                found.push_back({Heard(last, "10.0.0.1"), {}});
            return found;
        };
        const auto result = SearchUntilAgreed(search, kAgreeingSearchLimit);
        const bool sent = row.searches.back().has_value();
        ASSERT_EQ(result.has_value(), sent) << next;
        if (!sent)
            continue;
        EXPECT_EQ(result->searches, row.made);
        EXPECT_EQ(next, static_cast<std::size_t>(row.made));
        EXPECT_EQ(result->agreed, row.agreed) << row.made;
        EXPECT_EQ(result->devices.size(), row.searches[next - 1]->size());
    }
}

TEST(SearchUntilAgreedTest, NoSearchStartsOnceStopped)
{
    int made = 0;
    const auto search = [&]() -> std::optional<std::vector<FoundDevice>> {
        return std::vector<FoundDevice>{{Heard(static_cast<std::uint8_t>(++made), "10.0.0.1"), {}}};
    };
    const auto stopped = SearchUntilAgreed(search, kAgreeingSearchLimit, [&] { return made >= 2; });
    ASSERT_TRUE(stopped);
    EXPECT_EQ(made, 2);
    EXPECT_FALSE(stopped->agreed);
    EXPECT_EQ(SearchUntilAgreed(search, kAgreeingSearchLimit, [] { return true; })->searches, 0);
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
