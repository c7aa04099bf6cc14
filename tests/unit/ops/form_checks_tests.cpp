// The checks of both forms as tables: each row a field, a text, and accepted or the refusal.
#include <gtest/gtest.h>

#include <set>

#include "ops/form_checks.h"
#include "ops/page_forms.h"

namespace ktr::test {
namespace {

struct FieldCase
{
    const char *key;
    std::string text;
    const char *refusal; // nullptr: accepted
};

template <typename Form>
std::optional<Refusal> CheckOne(const std::vector<FormField<Form>> &fields, Form form,
                                const FieldCase &c)
{
    const FormField<Form> *field = FindField(fields, c.key);
    EXPECT_NE(field, nullptr) << c.key;
    if (field == nullptr)
        return std::nullopt;
    *std::get<std::string *>(field->access(form)) = c.text;
    return CheckField(*field, form);
}

void ExpectOutcome(const FieldCase &c, const std::optional<Refusal> &refusal)
{
    if (c.refusal == nullptr) {
        EXPECT_FALSE(refusal) << refusal->text;
        return;
    }
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, c.refusal);
    EXPECT_EQ(refusal->key, c.key);
}

class NetworkFieldCheck : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(NetworkFieldCheck, AcceptsOnlyWhatTheDeviceFieldHolds)
{
    ExpectOutcome(GetParam(), CheckOne(NetworkFields(), DefaultNetworkForm(), GetParam()));
}

constexpr const char *kStaticIpRefused = "静态IP：应为四段0-255的十进制数，如192.168.0.9";
constexpr const char *kMaskRefused = "子网掩码：应为连续的子网掩码，如255.255.255.0";
constexpr const char *kPortRefused = "服务器3 目标端口：应为0-65535的整数";
constexpr const char *kTargetRefused =
    "服务器2 目标地址：应为不超过29字节、只含简体中文(GBK)字符的文本";

INSTANTIATE_TEST_SUITE_P(
    Table, NetworkFieldCheck,
    ::testing::Values(
        FieldCase{"static_ip", "192.168.0.9", nullptr},
        FieldCase{"static_ip", " 192.168.0.9\t", nullptr},
        FieldCase{"static_ip", "255.255.255.255", nullptr},
        FieldCase{"static_ip", "", kStaticIpRefused},
        FieldCase{"static_ip", "1.2.3", kStaticIpRefused},
        FieldCase{"static_ip", "1.2.3.4.5", kStaticIpRefused},
        FieldCase{"static_ip", "10.0.0.256", kStaticIpRefused},
        FieldCase{"static_ip", "1..2.3", kStaticIpRefused},
        FieldCase{"static_ip", "1.2.3.0004", kStaticIpRefused},
        FieldCase{"static_ip", "nan", kStaticIpRefused},
        FieldCase{"static_ip", "一.二.三.四", kStaticIpRefused},
        FieldCase{"static_ip", "1.2.3.-4", kStaticIpRefused},
        FieldCase{"static_ip", "1.2 .3.4", kStaticIpRefused},
        FieldCase{"gateway", "192.168.0.1 x", "网关地址：应为四段0-255的十进制数，如192.168.0.9"},
        FieldCase{"subnet_mask", "255.255.255.0", nullptr},
        FieldCase{"subnet_mask", "255.255.255.252", nullptr},
        FieldCase{"subnet_mask", "0.0.0.0", nullptr},
        FieldCase{"subnet_mask", "255.255.255.255", nullptr},
        FieldCase{"subnet_mask", "255.0.255.0", kMaskRefused},
        FieldCase{"subnet_mask", "255.255.255.1", kMaskRefused},
        FieldCase{"subnet_mask", "2.2.2.2", kMaskRefused},
        FieldCase{"server3_target_port", "0", nullptr},
        FieldCase{"server3_target_port", "65535", nullptr},
        FieldCase{"server3_target_port", " 80 ", nullptr},
        FieldCase{"server3_target_port", "65536", kPortRefused},
        FieldCase{"server3_target_port", "-1", kPortRefused},
        FieldCase{"server3_target_port", "+80", kPortRefused},
        FieldCase{"server3_target_port", "99999999999", kPortRefused},
        FieldCase{"server3_target_port", "", kPortRefused},
        FieldCase{"server3_target_port", "80x", kPortRefused},
        FieldCase{"server3_target_port", "８０", kPortRefused},
        FieldCase{"server8_local_port", "1e3", "服务器8 本地端口：应为0-65535的整数"},
        FieldCase{"server2_target_address", "", nullptr},
        FieldCase{"server2_target_address", "服务器.例子", nullptr},
        FieldCase{"server2_target_address", std::string(29, 'a'), nullptr},
        FieldCase{"server2_target_address", std::string(30, 'a'), "服务器2的目标地址超过29字节"},
        FieldCase{"server2_target_address", "host😀", kTargetRefused},
        FieldCase{"server2_target_address", "ğüş", kTargetRefused},
        FieldCase{"server2_target_address", "\xFF\xFE", kTargetRefused},
        FieldCase{"server2_target_address", "host\r\nx", "服务器2的目标地址含有控制字符"},
        FieldCase{"server5_target_address", std::string("a\0b", 3),
                  "服务器5的目标地址含有控制字符"},
        FieldCase{"server2_target_address", "tab\there", "服务器2的目标地址含有控制字符"},
        FieldCase{"server2_target_address", "del\x7F", "服务器2的目标地址含有控制字符"},
        FieldCase{"mac", "00-0E-EB-12-34-56", nullptr},
        FieldCase{"mac", "00:0E:EB:12:34:56", "MAC地址：应为如00-0E-EB-12-34-56的MAC地址"}));

class DeviceFieldCheck : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(DeviceFieldCheck, AcceptsOnlyWhatTheDeviceFieldHolds)
{
    ExpectOutcome(GetParam(), CheckOne(DeviceFields(), DefaultDeviceForm(), GetParam()));
}

constexpr const char *kLengthRefused = "终端地址要为8位长度";
constexpr const char *kHexRefused = "终端地址：应为8位十六进制数字(0-9、A-F)";
constexpr const char *kTempRefused = "3号通道 温度上限：应为-40.0到120.0之间的数，最多一位小数";
constexpr const char *kHumRefused = "3号通道 湿度下限：应为0.0到99.9之间的数，最多一位小数";

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceFieldCheck,
    ::testing::Values(
        FieldCase{"terminal_address", "a1B2c3D4", nullptr},
        FieldCase{"terminal_address", "1234567", kLengthRefused},
        FieldCase{"terminal_address", "中文终端", kHexRefused},
        FieldCase{"terminal_address", "1234567G", kHexRefused},
        FieldCase{"terminal_address", " 1234567", kHexRefused},
        FieldCase{"login_interval", "65535", nullptr},
        FieldCase{"login_interval", "65536", "登陆帧间隔时间：应为0-65535的整数"},
        FieldCase{"report_interval", "", "主动上送帧间隔时间：应为0-65535的整数"},
        FieldCase{"baud_rate", "115200", nullptr}, FieldCase{"baud_rate", "2147483647", nullptr},
        FieldCase{"baud_rate", "2147483648", "485口波特率：应为1-2147483647的整数"},
        FieldCase{"baud_rate", "0", "485口波特率：应为1-2147483647的整数"},
        FieldCase{"baud_rate", "-9600", "485口波特率：应为1-2147483647的整数"},
        FieldCase{"modbus_count", "1", nullptr}, FieldCase{"modbus_count", "8", nullptr},
        FieldCase{"modbus_count", "0", "Modbus终端数量：应为1-8的整数"},
        FieldCase{"modbus_count", "9", "Modbus终端数量：应为1-8的整数"},
        FieldCase{"channel8_address", "247", nullptr},
        FieldCase{"channel8_address", "248", "8号通道地址：应为1-247的整数"},
        FieldCase{"channel8_address", "0", "8号通道地址：应为1-247的整数"},
        FieldCase{"channel3_temp_high", "120.0", nullptr},
        FieldCase{"channel3_temp_high", "-40", nullptr},
        FieldCase{"channel3_temp_high", "+4.1", nullptr},
        FieldCase{"channel3_temp_high", "120.1", kTempRefused},
        FieldCase{"channel3_temp_high", "-40.1", kTempRefused},
        FieldCase{"channel3_temp_high", "25.67", kTempRefused},
        FieldCase{"channel3_temp_high", "25.", kTempRefused},
        FieldCase{"channel3_temp_high", ".5", kTempRefused},
        FieldCase{"channel3_temp_high", "1e2", kTempRefused},
        FieldCase{"channel3_temp_high", "nan", kTempRefused},
        FieldCase{"channel3_temp_high", "", kTempRefused},
        FieldCase{"channel3_hum_low", "99.9", nullptr}, FieldCase{"channel3_hum_low", "0", nullptr},
        FieldCase{"channel3_hum_low", "100", kHumRefused},
        FieldCase{"channel3_hum_low", "6553.6", kHumRefused},
        FieldCase{"channel3_hum_low", "1e309", kHumRefused},
        FieldCase{"channel3_hum_low", "-0.5", kHumRefused}));

TEST(FormFields, KeysAreUniqueAndEveryFieldHasALabelAndAnAccessor)
{
    for (const auto *fields : {&NetworkFields()}) {
        std::set<std::string> keys;
        for (const NetworkField &field : *fields) {
            EXPECT_TRUE(keys.insert(field.key).second) << field.key;
            EXPECT_FALSE(field.label.empty()) << field.key;
        }
        EXPECT_EQ(keys.size(), 6u + 3 * 8);
    }
    std::set<std::string> keys;
    for (const DeviceField &field : DeviceFields())
        EXPECT_TRUE(keys.insert(field.key).second) << field.key;
    EXPECT_EQ(keys.size(), 11u + 5 * 8);
    // Each member is reached by exactly one field: writing through every accessor changes a
    // distinct member of the form.
    DeviceForm form;
    int n = 0;
    for (const DeviceField &field : DeviceFields()) {
        const FieldRef ref = field.access(form);
        if (field.isChoice())
            *std::get<int *>(ref) = ++n;
        else
            *std::get<std::string *>(ref) = std::to_string(++n);
    }
    EXPECT_EQ(form.stopBits, 10);
    EXPECT_EQ(form.channels[7].humLow, std::to_string(11 + 5 * 8));
}

TEST(CheckNetworkForm, FirstFailingFieldInPageOrderIsNamedAndValuesThatPassAreConverted)
{
    NetworkForm form = DefaultNetworkForm();
    form.gateway = "";
    form.servers[2].targetPort = "70000";
    auto result = CheckNetworkForm(form);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().key, "gateway");
    EXPECT_EQ(result.error().caption, "输入错误");

    form.gateway = " 192.168.0.1 ";
    form.servers[2].targetPort = "502";
    form.ipMode = 1;
    form.mac = "not checked by a network write";
    result = CheckNetworkForm(form);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->gateway, 0xC0A80001u);
    EXPECT_EQ(result->subnetMask, 0xFFFFFF00u);
    EXPECT_FALSE(result->staticIpMode);
    EXPECT_EQ(result->maxConnections, 8);
    EXPECT_EQ(result->servers[2].targetPort, 502);
    EXPECT_EQ(result->servers[2].localPort, 2002);
}

TEST(CheckNetworkForm, ComboWithoutSelectionIsRefused)
{
    NetworkForm form = DefaultNetworkForm();
    form.ipMode = kNoSelection;
    const auto result = CheckNetworkForm(form);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().text, "IP获取方式：应为列表中的一项");
    EXPECT_EQ(result.error().key, "ip_mode");
}

// The static IP against the mask: a device at its subnet's network or broadcast address cannot
// be reached, so such a write is refused; masks without those addresses and DHCP pass.
TEST(CheckNetworkForm, StaticIpThatIsTheSubnetsNetworkOrBroadcastAddressIsRefused)
{
    struct Row
    {
        const char *ip, *mask;
        int ipMode;
        const char *refusal; // nullptr: passes
    };
    const Row rows[] = {
        {"192.168.0.255", "255.255.255.0", 0,
         "静态IP：192.168.0.255 是子网掩码 255.255.255.0 下的广播地址, 设备将无法访问"},
        {"192.168.1.0", "255.255.255.0", 0,
         "静态IP：192.168.1.0 是子网掩码 255.255.255.0 下的网络地址, 设备将无法访问"},
        {"10.0.0.127", "255.255.255.128", 0,
         "静态IP：10.0.0.127 是子网掩码 255.255.255.128 下的广播地址, 设备将无法访问"},
        {"10.0.0.128", "255.255.255.128", 0,
         "静态IP：10.0.0.128 是子网掩码 255.255.255.128 下的网络地址, 设备将无法访问"},
        {"192.168.1.0", "255.255.254.0", 0, nullptr},
        {"192.168.0.255", "255.255.254.0", 0, nullptr},
        {"192.168.0.255", "255.255.255.254", 0, nullptr}, // point-to-point: no broadcast
        {"192.168.0.255", "255.255.255.0", 1, nullptr},   // DHCP: the static IP is not used
        {"192.168.0.254", "255.255.255.0", 0, nullptr},
    };
    for (const Row &row : rows) {
        NetworkForm form = DefaultNetworkForm();
        form.staticIp = row.ip;
        form.subnetMask = row.mask;
        form.ipMode = row.ipMode;
        const auto result = CheckNetworkForm(form);
        if (row.refusal == nullptr) {
            EXPECT_TRUE(result) << row.ip << " / " << row.mask;
            continue;
        }
        ASSERT_FALSE(result) << row.ip << " / " << row.mask;
        EXPECT_EQ(result.error().key, "static_ip");
        EXPECT_EQ(result.error().text, row.refusal);
    }
}

struct OrderCase
{
    int channel;
    const char *tempHigh, *tempLow, *humHigh, *humLow;
    const char *refusedKey; // nullptr: accepted
    const char *text;
};
class LimitOrder : public ::testing::TestWithParam<OrderCase>
{
};

TEST_P(LimitOrder, LowerLimitMayNotBeAboveTheUpper)
{
    const OrderCase &c = GetParam();
    DeviceForm form = DefaultDeviceForm();
    ChannelForm &channel = form.channels[static_cast<std::size_t>(c.channel - 1)];
    channel = {channel.address, c.tempHigh, c.tempLow, c.humHigh, c.humLow};
    const auto result = CheckDeviceForm(form);
    if (c.refusedKey == nullptr) {
        EXPECT_TRUE(result);
        return;
    }
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().key, c.refusedKey);
    EXPECT_EQ(result.error().text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LimitOrder,
    ::testing::Values(OrderCase{1, "20", "20.0", "50", "50", nullptr, ""},
                      OrderCase{2, "-5", "-40", "0.1", "0", nullptr, ""},
                      OrderCase{4, "20", "20.1", "50", "10", "channel4_temp_low",
                                "4号通道 温度下限：不能高于4号通道 温度上限"},
                      OrderCase{8, "20", "-5", "50", "50.1", "channel8_hum_low",
                                "8号通道 湿度下限：不能高于8号通道 湿度上限"}));

TEST(CheckDeviceForm, EveryValidLimitTextIsWrittenAsItsExactTenths)
{
    // The conversion multiplies by ten in floating point and truncates; any text that passes
    // must still land on the tenths the user typed.
    DeviceForm form = DefaultDeviceForm();
    for (int tenths = -400; tenths <= 1200; ++tenths) {
        const std::string text = FormatTemperature(static_cast<std::int16_t>(tenths));
        form.channels[0].tempHigh = text;
        form.channels[0].tempLow = text;
        const auto block = CheckDeviceForm(form);
        ASSERT_TRUE(block) << text;
        ASSERT_EQ(block->tempHigh[0], tenths) << text;
    }
    for (int tenths = 0; tenths <= 999; ++tenths) {
        const std::string text = FormatHumidity(static_cast<std::uint16_t>(tenths));
        form.channels[0].humHigh = text;
        form.channels[0].humLow = text;
        const auto block = CheckDeviceForm(form);
        ASSERT_TRUE(block) << text;
        ASSERT_EQ(block->humHigh[0], tenths) << text;
    }
}

TEST(CheckDeviceForm, StartUpPageAndARecordShownOnThePageBothPass)
{
    EXPECT_TRUE(CheckDeviceForm(DefaultDeviceForm()));
    EXPECT_TRUE(CheckNetworkForm(DefaultNetworkForm()));
    DeviceForm form = DefaultDeviceForm();
    FillDeviceForm(DefaultPageDeviceBlock(), "0a0b0c0d", form);
    const auto block = CheckDeviceForm(form);
    ASSERT_TRUE(block);
    DeviceBlock expected = DefaultPageDeviceBlock();
    expected.terminalAddress = 0x0A0B0C0D;
    EXPECT_EQ(*block, expected);
}

} // namespace
} // namespace ktr::test
