// Settings by field key: assignments, the checks before anything is sent, the overlay and the
// field-by-field comparison.
#include <gtest/gtest.h>

#include "ops/form_fields.h"
#include "ops/page_forms.h"
#include "ops/text_convert.h"
#include "tools/cli/settings.h"

namespace ktr::cli {
namespace {

using nlohmann::ordered_json;

const MacAddress kMac{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56};

DeviceSettings Sample()
{
    NetworkBlock network;
    network.setStaticIp(true);
    network.setAddress(AddressField::StaticIp, ParseDottedAddress("192.168.0.9"));
    network.setAddress(AddressField::SubnetMask, ParseDottedAddress("255.255.255.0"));
    network.setMaxConnections(8);
    DeviceBlock device = DefaultPageDeviceBlock();
    device.parity = 2;
    return SettingsOf(kMac, network, device);
}

TEST(SettingsTest, JsonNamesEveryFieldOnceInPageOrder)
{
    const ordered_json json = SettingsJson(Sample(), true);
    EXPECT_EQ(json.size(), NetworkFields().size() + DeviceFields().size());
    auto it = json.begin();
    EXPECT_EQ(it.key(), "mac");
    EXPECT_EQ(it.value(), "00-0E-EB-12-34-56");
    EXPECT_EQ((++it).key(), "static_ip");
    EXPECT_EQ(json["static_ip"], "192.168.0.9");
    EXPECT_EQ(json["ip_mode"], "StaticIP");
    EXPECT_EQ(json["max_connections"], "8");
    EXPECT_EQ(json["parity"], "EVEN");
    EXPECT_EQ(json.back(), json["channel8_hum_low"]);
    EXPECT_FALSE(SettingsJson(Sample(), false).contains("mac"));
}

TEST(SettingsTest, AssignmentsFromTheCommandLineAndFromJson)
{
    const auto a = ParseAssignment("server1_target_address=a=b");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->key, "server1_target_address");
    EXPECT_EQ(a->value, "a=b");
    EXPECT_FALSE(ParseAssignment("static_ip"));

    const auto fromJson =
        AssignmentsFromJson(ordered_json::parse(R"({"report_interval": 60, "gateway": "1.2.3.4",
                                                    "channel1_temp_high": 85.5})"));
    ASSERT_TRUE(fromJson);
    ASSERT_EQ(fromJson.value().size(), 3u);
    EXPECT_EQ(fromJson.value()[0].value, "60");
    EXPECT_EQ(fromJson.value()[2].value, "85.5");
    EXPECT_FALSE(AssignmentsFromJson(ordered_json::parse(R"({"gateway": [1]})")));
}

TEST(SettingsTest, EachValueIsCheckedOnItsOwnBeforeAnythingIsSent)
{
    const std::vector<std::pair<Assignment, std::string>> refused{
        {{"server3_target_port", "65536"}, "服务器3 目标端口"},
        {{"subnet_mask", "255.0.255.0"}, "子网掩码"},
        {{"ip_mode", "static"}, "IP获取方式"},
        {{"channel8_temp_low", "-40.05"}, "8号通道 温度下限"},
        {{"static", "1.2.3.4"}, "没有字段 static"},
        {{"mac", "00-0E-EB-12-34-57"}, "ktr-cli mac"},
    };
    for (const auto &[assignment, named] : refused) {
        const auto refusal = CheckAssignments({{"gateway", "1.2.3.4"}, assignment});
        ASSERT_TRUE(refusal) << assignment.key;
        EXPECT_NE(refusal->text.find(named), std::string::npos) << refusal->text;
        EXPECT_EQ(refusal->key, assignment.key);
    }
    EXPECT_FALSE(CheckAssignments({{"ip_mode", "DHCP/autoIP"},
                                   {"channel8_temp_low", "-40.0"},
                                   {"terminal_address", "0A0b0C0d"},
                                   {"server8_target_address", "服务器.example"}}));
}

TEST(SettingsTest, ListItemsMatchWithoutRegardToCaseAndARefusalNamesThem)
{
    EXPECT_EQ(ChoiceIndex(kParityItems, "odd"), 1);
    EXPECT_EQ(ChoiceIndex(kParityItems, "Even"), 2);
    EXPECT_EQ(ChoiceIndex(kIpModeItems, "dhcp"), kIpModeDhcp);
    EXPECT_EQ(ChoiceIndex(kIpModeItems, "AutoIP"), kIpModeDhcp);
    EXPECT_EQ(ChoiceIndex(kIpModeItems, "dhcp/autoip"), kIpModeDhcp);
    EXPECT_EQ(ChoiceIndex(kIpModeItems, "staticip"), 0);
    EXPECT_EQ(ChoiceIndex(kIpModeItems, "static"), std::nullopt);
    EXPECT_EQ(ChoiceIndex(kParityItems, "od"), std::nullopt);
    EXPECT_EQ(ChoiceIndex(kWorkModeItems, "modbus温湿度传感器"), 1);

    EXPECT_FALSE(CheckAssignments({{"parity", "odd"}, {"ip_mode", "dhcp"}}));
    DeviceSettings settings = Sample();
    Overlay(settings, {{"parity", "none"}, {"ip_mode", "DHCP"}});
    EXPECT_EQ(settings.device.parity, 0);
    EXPECT_EQ(settings.network.ipMode, kIpModeDhcp);

    const std::vector<std::pair<Assignment, std::string>> refused{
        {{"parity", "X"}, "校验位：应为 NONE、ODD、EVEN 之一"},
        {{"ip_mode", "static"}, "IP获取方式：应为 StaticIP、DHCP/autoIP 之一"},
        {{"work_mode", "探头"},
         "工作模式：应为 温湿度探头、Modbus温湿度传感器、0-5V温湿度变送器、0-10V温湿度变送器、"
         "0-10mA温湿度变送器、4-20mA温湿度变送器 之一"},
        // A terminal address too short, too long or with other characters: one message.
        {{"terminal_address", "123"}, "终端地址：应为8位十六进制数字(0-9、A-F)"},
        {{"terminal_address", "123456789"}, "终端地址：应为8位十六进制数字(0-9、A-F)"},
        {{"terminal_address", "1234567G"}, "终端地址：应为8位十六进制数字(0-9、A-F)"},
    };
    for (const auto &[assignment, text] : refused) {
        const auto refusal = CheckAssignments({assignment});
        ASSERT_TRUE(refusal) << assignment.value;
        EXPECT_EQ(refusal->text, text);
    }
}

TEST(SettingsTest, OverlayChangesOnlyTheNamedFieldsAndTheComparisonNamesThem)
{
    const DeviceSettings before = Sample();
    DeviceSettings after = before;
    const std::vector<Assignment> assignments{
        {"gateway", "192.168.0.254"}, {"parity", "NONE"}, {"parity", "ODD"}, {"data_bits", "6"}};
    Overlay(after, assignments);
    EXPECT_TRUE(TouchesNetwork(assignments));
    EXPECT_TRUE(TouchesDevice(assignments));
    EXPECT_FALSE(TouchesDevice({{"gateway", "1.2.3.4"}}));
    const std::vector<FieldChange> changes = DifferingFields(after, before);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].key, "gateway");
    EXPECT_EQ(changes[0].label, "网关地址");
    EXPECT_EQ(changes[0].wanted, "192.168.0.254");
    EXPECT_EQ(changes[0].found, "0.0.0.0");
    EXPECT_EQ(changes[1].key, "data_bits");
    EXPECT_EQ(changes[2].key, "parity");
    EXPECT_EQ(changes[2].wanted, "ODD");
    EXPECT_EQ(changes[2].found, "EVEN");

    // An item that is not in the list leaves no selection, which the check then refuses.
    Overlay(after, {{"stop_bits", "3"}});
    EXPECT_EQ(after.device.stopBits, kNoSelection);
    EXPECT_FALSE(CheckDeviceForm(after.device));
}

} // namespace
} // namespace ktr::cli
