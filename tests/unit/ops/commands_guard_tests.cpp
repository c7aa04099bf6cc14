// The writes that could harm a device: none goes out before the device has been chosen and read,
// and a new MAC is refused when no device could be reached at it or another device holds it.
#include <gtest/gtest.h>

#include <functional>

#include "ops/mac_text.h"
#include "tests/unit/ops/fakes.h"

namespace ktr::test {
namespace {

using namespace std::chrono_literals;

constexpr MacAddress kDevice0{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x01};
constexpr MacAddress kDevice1{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x02};
constexpr const char *kNoDevice = "请先搜索并双击列表中的设备\r\n";

Bytes NetworkReplyFrom(const MacAddress &mac)
{
    // A device at a static host address of its subnet: a record the page may send back as it is.
    NetworkBlock block;
    block.setStaticIp(true);
    block.setAddress(AddressField::StaticIp, 0xC0A8000Bu);
    block.setAddress(AddressField::SubnetMask, 0xFFFFFF00u);
    Bytes payload(mac.begin(), mac.end());
    payload.insert(payload.end(), block.bytes().begin(), block.bytes().end());
    return EncodeReply(kCmdReadNetwork, payload);
}

Bytes DeviceReplyFrom(const MacAddress &mac)
{
    const DeviceBody body = EncodeDeviceBody(DefaultPageDeviceBlock());
    return EncodeTunnelReply(kCmdTunnel, mac, SealTunnelFrame(kTunnelReadBlock, body));
}

// The window after a search that found both devices.
void SearchFindingBoth(Harness &h)
{
    OnSearch(h.ui);
    h.list.insertRowAtTop({"192.168.0.11", "KTR", FormatMacPlain(kDevice1), "288"});
    h.list.insertRowAtTop({"192.168.0.10", "KTR", FormatMacPlain(kDevice0), "288"});
}

void DoubleClick(Harness &h, int row)
{
    h.list.selected = row;
    OnDblclkDeviceList(h.ui);
}

struct Situation
{
    const char *name;
    std::function<void(Harness &)> reach;
};

const std::vector<Situation> &NoDeviceReadSituations()
{
    static const std::vector<Situation> situations{
        // No endpoint is open before the first search: the old window blamed the cable.
        {"before any search",
         [](Harness &h) {
             h.shell.openEndpoints = 0;
         }},
        {"after a search, nothing double-clicked", SearchFindingBoth},
        {"double-clicked, its settings not yet read",
         [](Harness &h) {
             SearchFindingBoth(h);
             DoubleClick(h, 0);
         }},
        {"double-clicked, the device never answered",
         [](Harness &h) {
             SearchFindingBoth(h);
             DoubleClick(h, 0);
             for (int i = 0; i < 40; ++i) {
                 h.now += 100ms;
                 OnTick(h.ui);
             }
         }},
        {"one device read, another double-clicked and not yet read",
         [](Harness &h) {
             SearchFindingBoth(h);
             DoubleClick(h, 0);
             OnDatagram(h.ui, NetworkReplyFrom(kDevice0));
             DoubleClick(h, 1);
         }},
    };
    return situations;
}

struct Command
{
    const char *name;
    void (*run)(Ui &);
};

TEST(NoDeviceRead, EveryWriteSaysToChooseADeviceAndSendsNothing)
{
    const Command commands[] = {{"参数配置", OnConfigureNetwork},
                                {"载入默认", OnLoadDefaults},
                                {"写MAC", OnWriteMac},
                                {"配置设备参数", OnWriteDeviceBlock}};
    for (const Situation &situation : NoDeviceReadSituations()) {
        for (const Command &command : commands) {
            SCOPED_TRACE(std::string(situation.name) + ": " + command.name);
            Harness h;
            situation.reach(h);
            // Everything else a write needs is there: a MAC that may be written, a yes to the
            // reset question, and device settings read from the MAC the commands address (a
            // device that holds the all-zero MAC answers before any double-click).
            h.networkPage.current.mac = "00-0E-EB-00-00-77";
            h.shell.answerYes = true;
            const MacAddress addressed = h.state.SelectedDeviceMac;
            OnReadDeviceBlock(h.ui);
            OnDatagram(h.ui, DeviceReplyFrom(addressed));
            const std::size_t sent = h.shell.sent.size();

            command.run(h.ui);

            EXPECT_EQ(h.shell.sent.size(), sent);
            EXPECT_EQ(h.shell.area(), kNoDevice);
            EXPECT_TRUE(h.shell.questions.empty());
            EXPECT_TRUE(h.shell.boxes.empty());
            EXPECT_TRUE(h.state.verifications.empty());
        }
    }
}

TEST(NoDeviceRead, OnceTheDoubleClickedDeviceAnsweredTheWritesGoToIt)
{
    Harness h;
    SearchFindingBoth(h);
    DoubleClick(h, 1);
    OnDatagram(h.ui, NetworkReplyFrom(kDevice1));
    h.shell.answerYes = true;
    OnConfigureNetwork(h.ui);
    EXPECT_EQ(h.shell.sent.back(),
              EncodeWriteNetworkRequest(kDevice1, h.state.LastNetworkBlock.bytes()));
    OnLoadDefaults(h.ui);
    EXPECT_EQ(h.shell.sent.back(), EncodeFactoryResetRequest(kDevice1));
}

struct NewMacCase
{
    const char *typed;
    const char *refusal; // nullptr: the write goes out
};

class NewMac : public ::testing::TestWithParam<NewMacCase>
{
};

TEST_P(NewMac, ThatWouldBreakTheDeviceOrTheLanIsRefusedWithItsReason)
{
    Harness h;
    SearchFindingBoth(h);
    DoubleClick(h, 0);
    OnDatagram(h.ui, NetworkReplyFrom(kDevice0));
    const std::size_t sent = h.shell.sent.size();
    h.networkPage.current.mac = GetParam().typed;

    OnWriteMac(h.ui);

    if (GetParam().refusal == nullptr) {
        ASSERT_EQ(h.shell.sent.size(), sent + 1);
        EXPECT_EQ(h.shell.sent.back(),
                  EncodeWriteMacRequest(kDevice0, *ParseMacDashed(GetParam().typed)));
        EXPECT_EQ(h.shell.area(), "写入MAC地址...\r\n");
        return;
    }
    EXPECT_EQ(h.shell.sent.size(), sent);
    EXPECT_EQ(h.shell.area(), std::string(GetParam().refusal) + "\r\n");
    EXPECT_TRUE(h.state.verifications.empty());
    EXPECT_EQ(h.state.SelectedDeviceMac, kDevice0);
    EXPECT_EQ(h.networkPage.current.mac, GetParam().typed) << "left for the user to correct";
}

INSTANTIATE_TEST_SUITE_P(
    Typed, NewMac,
    ::testing::Values(
        NewMacCase{"00-00-00-00-00-00",
                   "新MAC地址00-00-00-00-00-00全为零，设备将无法被寻址，没有写入"},
        NewMacCase{"ff-ff-ff-ff-ff-ff",
                   "新MAC地址FF-FF-FF-FF-FF-FF是广播地址，不能用作设备的地址，没有写入"},
        NewMacCase{"01-00-5E-00-00-FB", "新MAC地址01-00-5E-00-00-FB是组播地址（第一个字节为奇数），"
                                        "不能用作设备的地址，没有写入"},
        NewMacCase{"FF-FF-FF-FF-FF-FE", "新MAC地址FF-FF-FF-FF-FF-FE是组播地址（第一个字节为奇数），"
                                        "不能用作设备的地址，没有写入"},
        NewMacCase{"00-0e-eb-00-00-02", "新MAC地址00-0E-EB-00-00-02已被列表中的另一台设备（IP "
                                        "192.168.0.11）使用，两台设备将无法区分，没有写入"},
        NewMacCase{"00-0E-EB-00-00-01",
                   "新MAC地址00-0E-EB-00-00-01与设备当前的MAC地址相同，没有写入"},
        NewMacCase{"00-0E-EB-00-00-77", nullptr}, NewMacCase{"02-00-00-00-00-42", nullptr},
        NewMacCase{"FE-FF-FF-FF-FF-FF", nullptr}));

} // namespace
} // namespace ktr::test
