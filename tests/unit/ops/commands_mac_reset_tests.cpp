// Writing a new MAC address and ordering a factory reset from the network page.
#include <gtest/gtest.h>

#include "tests/unit/ops/fakes.h"

namespace ktr::test {
namespace {

constexpr MacAddress kSelected{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56};

class MacAndReset : public ::testing::Test
{
protected:
    MacAndReset()
    {
        h.state.SelectedDeviceMac = kSelected;
        h.state.pageDeviceMac = kSelected;
        h.state.messageText.appendLine("读取网络参数成功！");
    }
    Harness h;
};

struct MacCase
{
    const char *text;
    const char *request; // nullptr: the text is refused
};
class MacText : public MacAndReset, public ::testing::WithParamInterface<MacCase>
{
};

TEST_P(MacText, OnlyTheDashedFormReachesTheDevice)
{
    h.networkPage.current.mac = GetParam().text;
    OnWriteMac(h.ui);
    if (GetParam().request) {
        ASSERT_EQ(h.shell.sent.size(), 1u);
        EXPECT_EQ(h.shell.sent[0], Hex(GetParam().request));
        EXPECT_EQ(h.shell.area(), "写入MAC地址...\r\n");
    } else {
        EXPECT_TRUE(h.shell.sent.empty());
        EXPECT_EQ(h.shell.area(), "不合格的MAC地址格式!!!\r\n");
    }
    EXPECT_EQ(h.shell.shown.size(), 1u);
    EXPECT_EQ(h.networkPage.current.mac, GetParam().text);
    EXPECT_EQ(h.state.SelectedDeviceMac, kSelected);
}

constexpr const char *kTo57 = "AA 00 0D 0F 00 0E EB 12 34 56 00 0E EB 12 34 57 3A";

INSTANTIATE_TEST_SUITE_P(
    Texts, MacText,
    ::testing::Values(MacCase{"00-0E-EB-00-00-00",
                              "AA 00 0D 0F 00 0E EB 12 34 56 00 0E EB 00 00 00 9D"},
                      MacCase{"00-0e-eb-12-34-57", kTo57}, MacCase{"00-0E-EB-12-34-57", kTo57},
                      MacCase{"00-0E-EB-12-34-57-99", kTo57},
                      MacCase{"00-0E-EB-12-34-57 其他", kTo57},
                      MacCase{"00:0E:EB:12:34:57", nullptr}, MacCase{"00-0E-EB-12:34-57", nullptr},
                      MacCase{"00-0E-EB 12-34-57", nullptr}, MacCase{"000EEB123457", nullptr},
                      MacCase{"00-0E-EB-12-34-5", nullptr}, MacCase{"00-0E-EB-12-34-5G", nullptr},
                      MacCase{"G0-0E-EB-12-34-57", nullptr}, MacCase{" 00-0E-EB-12-34-57", nullptr},
                      MacCase{"００-0E-EB-12-34-57", nullptr}, MacCase{"", nullptr}));

TEST_F(MacAndReset, SecondPressAfterAWriteGoesToTheOldAddressAgain)
{
    h.networkPage.current.mac = "00-0E-EB-12-34-57";
    OnWriteMac(h.ui);
    OnWriteMac(h.ui);
    ASSERT_EQ(h.shell.sent.size(), 2u);
    EXPECT_EQ(h.shell.sent[0], Hex(kTo57));
    EXPECT_EQ(h.shell.sent[1], Hex(kTo57));
}

TEST_F(MacAndReset, FactoryResetSendsOneRequestPerPressAndLeavesEveryFieldAsTyped)
{
    h.networkPage.current.staticIp = "10.0.0.99";
    h.networkPage.current.servers[2].targetAddress = "typed, never written";
    h.networkPage.current.ipMode = 1;
    h.devicePage.current.baudRate = "9600";
    const auto network = h.networkPage.current;
    const auto device = h.devicePage.current;
    const NetworkBlock record = h.state.LastNetworkBlock;

    OnLoadDefaults(h.ui);
    OnLoadDefaults(h.ui);

    const Bytes expected = Hex("AA 00 07 06 00 0E EB 12 34 56 9B");
    EXPECT_EQ(h.shell.sent, (std::vector<Bytes>{expected, expected}));
    EXPECT_EQ(h.shell.area(), "恢复出厂设置...\r\n");
    EXPECT_EQ(h.networkPage.current, network);
    EXPECT_EQ(h.devicePage.current, device);
    EXPECT_EQ(h.state.LastNetworkBlock, record);
    EXPECT_EQ(h.state.SelectedDeviceMac, kSelected);
}

} // namespace
} // namespace ktr::test
