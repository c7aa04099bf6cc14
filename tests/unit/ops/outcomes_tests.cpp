// Every request's outcome: replies taken only from the device asked, deadlines and retries,
// writes checked after the device's restart, and nothing reported that was not sent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ops/device_block.h"
#include "ops/form_checks.h"
#include "ops/mac_text.h"
#include "ops/network_block.h"
#include "ops/page_forms.h"
#include "tests/unit/ops/fakes.h"

namespace ktr::test {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr MacAddress kDevice0{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x01};
constexpr MacAddress kDevice1{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x02};

NetworkBlock Settings(std::uint32_t ip, std::uint16_t firstPort)
{
    NetworkBlock block;
    block.setStaticIp(true);
    block.setAddress(AddressField::StaticIp, ip);
    block.setAddress(AddressField::SubnetMask, 0xFFFFFF00u);
    block.setAddress(AddressField::Gateway, (ip & 0xFFFFFF00u) | 1u);
    block.setMaxConnections(8);
    for (int n = 0; n < kServerCount; ++n) {
        block.server(n).setLocalPort(static_cast<std::uint16_t>(firstPort + n));
        block.server(n).setTargetPort(static_cast<std::uint16_t>(firstPort + n));
        EXPECT_TRUE(block.server(n).overlayTargetAddress("192.168.0.166"));
    }
    return block;
}

Bytes NetworkReplyFrom(const MacAddress &mac, const NetworkBlock &block)
{
    Bytes payload(mac.begin(), mac.end());
    payload.insert(payload.end(), block.bytes().begin(), block.bytes().end());
    return EncodeReply(kCmdReadNetwork, payload);
}

Bytes WriteAckFrom(const MacAddress &mac)
{
    return EncodeTunnelReply(kCmdTunnel, mac, SealTunnelFrame(kTunnelWriteBlock, {}));
}

Bytes DeviceReplyFrom(const MacAddress &mac, const DeviceBlock &block)
{
    const DeviceBody body = EncodeDeviceBody(block);
    return EncodeTunnelReply(kCmdTunnel, mac, SealTunnelFrame(kTunnelReadBlock, body));
}

class Outcomes : public ::testing::Test
{
protected:
    Outcomes()
    {
        h.list.insertRowAtTop({"192.168.0.11", "KTR", FormatMacPlain(kDevice1), "288"});
        h.list.insertRowAtTop({"192.168.0.10", "KTR", FormatMacPlain(kDevice0), "288"});
    }
    void doubleClick(int row)
    {
        h.list.selected = row;
        OnDblclkDeviceList(h.ui);
    }
    void after(std::chrono::milliseconds elapsed)
    {
        h.now += elapsed;
        OnTick(h.ui);
    }
    // The window's timer, ticking every 100 ms.
    void waitFor(std::chrono::milliseconds elapsed)
    {
        for (auto t = 0ms; t < elapsed; t += 100ms)
            after(100ms);
    }
    void deliver(const Bytes &datagram) { OnDatagram(h.ui, datagram); }
    std::string area() const { return h.shell.area(); }
    const Bytes &lastSent() const { return h.shell.sent.back(); }

    Harness h;
};

TEST(PendingRequestsTest, TakesOnlyTheAnswerOfTheDeviceAndKindAskedAndCountsTheRest)
{
    PendingRequests pending;
    const SteadyTime t0{};
    pending.addSent(AwaitFromDevice(kDevice0, Awaited::NetworkBlock, Purpose::ShowNetwork, {}), t0);

    EXPECT_FALSE(pending.match({kDevice1, Awaited::NetworkBlock})) << "other device";
    EXPECT_FALSE(pending.match({kDevice0, Awaited::DeviceBlock})) << "other kind";
    EXPECT_EQ(pending.ignoredReplies(), 2u);
    EXPECT_TRUE(pending.match({kDevice0, Awaited::NetworkBlock}));
    EXPECT_FALSE(pending.match({kDevice0, Awaited::NetworkBlock})) << "a duplicate is not taken";
    EXPECT_EQ(pending.ignoredReplies(), 3u);
    EXPECT_TRUE(pending.empty());
}

TEST(PendingRequestsTest, RetriesOnceAtTheDeadlineThenExpiresAndDefersWhileRestarting)
{
    PendingRequests pending;
    const SteadyTime t0{};
    pending.addSent(AwaitFromDevice(kDevice0, Awaited::NetworkBlock, Purpose::ShowNetwork,
                                    EncodeReadNetworkRequest(kDevice0)),
                    t0);
    EXPECT_EQ(pending.nextWake(), t0 + kReplyTimeout);
    EXPECT_TRUE(pending.due(t0 + kReplyTimeout - 1ms).toSend.empty());
    const DueRequests retry = pending.due(t0 + kReplyTimeout);
    ASSERT_EQ(retry.toSend.size(), 1u);
    EXPECT_EQ(retry.toSend[0].request, EncodeReadNetworkRequest(kDevice0));
    EXPECT_TRUE(retry.expired.empty());
    const DueRequests last = pending.due(t0 + 2 * kReplyTimeout);
    EXPECT_TRUE(last.toSend.empty());
    ASSERT_EQ(last.expired.size(), 1u);
    EXPECT_TRUE(pending.empty());

    // A re-read after a write: nothing before the restart wait, then a read every attempt
    // until the give-up time, and the give-up exactly then, not an attempt earlier.
    WriteVerification v(RestartingWrite::NetworkSettings, kDevice0, kDevice0, NetworkBlock{},
                        std::nullopt, t0);
    pending.add(v.readRequest(t0));
    EXPECT_TRUE(pending.due(t0 + kRestartWait - 1ms).toSend.empty());
    int reads = 0;
    std::optional<SteadyTime> expiredAt;
    for (SteadyTime t = t0; t <= t0 + kVerifyGiveUp + 1s && !expiredAt; t += 10ms) {
        const DueRequests due = pending.due(t);
        reads += static_cast<int>(due.toSend.size());
        if (!due.expired.empty())
            expiredAt = t;
    }
    EXPECT_EQ(expiredAt, t0 + kVerifyGiveUp);
    EXPECT_EQ(reads, (kVerifyGiveUp - kRestartWait) / kVerifyAttempt);
}

TEST(DifferingFieldsTest, NamesEachDifferingFieldAsThePageLabelsIt)
{
    const NetworkBlock written = Settings(0xC0A80032u, 2000);
    NetworkBlock read = written;
    EXPECT_TRUE(DifferingFields(written, read).empty());
    read.setAddress(AddressField::StaticIp, 0xC0A8000Au);
    read.server(2).setTargetPort(9);
    read.setStaticIp(false);
    const auto d = DifferingFields(written, read);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].field, "服务器3 目标端口");
    EXPECT_EQ(d[0].written, "2002");
    EXPECT_EQ(d[0].found, "9");
    EXPECT_EQ(d[1].field, "静态IP");
    EXPECT_EQ(d[1].written, "192.168.0.50");
    EXPECT_EQ(d[1].found, "192.168.0.10");
    EXPECT_EQ(d[2].field, "IP获取方式");
}

TEST_F(Outcomes, ALateAnswerOfThePreviousDeviceNeitherFillsThePageNorGetsWritten)
{
    const std::string startUp = h.networkPage.current.staticIp;
    doubleClick(0);
    doubleClick(1);
    deliver(NetworkReplyFrom(kDevice0, Settings(0xC0A8000Au, 3000)));
    EXPECT_EQ(h.networkPage.current.staticIp, startUp) << "device 0 is no longer on the page";
    EXPECT_THAT(h.shell.traces, ::testing::SizeIs(1));
    EXPECT_THAT(area(), Not(HasSubstr("读取网络参数成功")));

    const NetworkBlock own = Settings(0xC0A8000Bu, 4000);
    deliver(NetworkReplyFrom(kDevice1, own));
    EXPECT_EQ(h.networkPage.current.staticIp, "192.168.0.11");
    OnConfigureNetwork(h.ui);
    EXPECT_EQ(lastSent(), EncodeWriteNetworkRequest(kDevice1, own.bytes()))
        << "device 1 gets back exactly its own settings";
}

TEST_F(Outcomes, AnUnansweredReadIsSentTwiceThenSaysTheDeviceDidNotAnswer)
{
    const std::string startUp = h.networkPage.current.staticIp;
    doubleClick(0);
    after(kReplyTimeout);
    ASSERT_EQ(h.shell.sent.size(), 2u);
    EXPECT_EQ(h.shell.sent[1], h.shell.sent[0]);
    EXPECT_EQ(area(), "读取参数...\r\n");
    after(kReplyTimeout);
    EXPECT_EQ(h.shell.sent.size(), 2u);
    EXPECT_EQ(area(), "读取参数...\r\n设备00-0E-EB-00-00-01没有应答：请检查设备是否通电、网线是否"
                      "连接，以及设备与本机是否在同一局域网\r\n");
    deliver(NetworkReplyFrom(kDevice0, Settings(0xC0A8000Au, 3000)));
    EXPECT_EQ(h.networkPage.current.staticIp, startUp) << "too late is not taken";
}

TEST_F(Outcomes, ANetworkWriteIsReadBackAfterTheRestartAndSaysWhatTookEffect)
{
    for (const bool deviceKeepsOldSettings : {false, true}) {
        SCOPED_TRACE(deviceKeepsOldSettings);
        const NetworkBlock before = Settings(0xC0A8000Au, 3000);
        doubleClick(0);
        deliver(NetworkReplyFrom(kDevice0, before));
        h.networkPage.current.staticIp = "192.168.0.50";
        OnConfigureNetwork(h.ui);
        const NetworkBlock written = h.state.LastNetworkBlock;
        const std::size_t sends = h.shell.sent.size();

        after(kRestartWait);
        ASSERT_EQ(h.shell.sent.size(), sends + 1);
        EXPECT_EQ(lastSent(), EncodeReadNetworkRequest(kDevice0));
        if (deviceKeepsOldSettings) {
            // The old values are no verdict while the window is open: it may be a late answer
            // to a read sent before the write. The device is read again until the window ends.
            deliver(NetworkReplyFrom(kDevice0, before));
            EXPECT_EQ(area(), "设置参数... \r\n");
            waitFor(kVerifyGiveUp - kRestartWait - 100ms);
            EXPECT_GT(h.shell.sent.size(), sends + 10);
            EXPECT_EQ(area(), "设置参数... \r\n");
            deliver(NetworkReplyFrom(kDevice0, before));
            waitFor(200ms);
        } else {
            deliver(NetworkReplyFrom(kDevice0, written));
        }
        const std::string outcome = deviceKeepsOldSettings
                                        ? "设备已重启，以下网络参数与写入的不一致：\r\n"
                                          "  静态IP：写入 192.168.0.50，设备为 192.168.0.10\r\n"
                                        : "设备已重启，网络参数已生效\r\n";
        EXPECT_EQ(area(), "设置参数... \r\n" + outcome);
        EXPECT_TRUE(h.state.verifications.empty());
        const std::size_t afterVerdict = h.shell.sent.size();
        after(kVerifyGiveUp);
        EXPECT_EQ(h.shell.sent.size(), afterVerdict) << "no reads after the verdict";
    }
}

TEST_F(Outcomes, AWriteWhoseDeviceNeverComesBackSaysSoWithinTheGiveUpTime)
{
    doubleClick(0);
    deliver(NetworkReplyFrom(kDevice0, Settings(0xC0A8000Au, 3000)));
    OnConfigureNetwork(h.ui);
    for (int i = 0; i < 100; ++i)
        after(100ms);
    EXPECT_EQ(area(), "设置参数... \r\n设备00-0E-EB-00-00-01写入后没有任何应答，不能确定写入是否"
                      "生效：请检查设备电源和网线，然后重新搜索\r\n");
}

// The answer to a read sent before the write (its retry, answered late) arrives during the
// restart: it shows the old values and must not be taken as the write's outcome.
TEST_F(Outcomes, ALateAnswerFromBeforeTheWriteIsNoVerdictAndTheWrittenValuesAre)
{
    const NetworkBlock before = Settings(0xC0A8000Au, 3000);
    doubleClick(0);
    after(kReplyTimeout); // the read is sent again
    deliver(NetworkReplyFrom(kDevice0, before));
    h.networkPage.current.staticIp = "192.168.0.50";
    OnConfigureNetwork(h.ui);
    const NetworkBlock written = h.state.LastNetworkBlock;
    after(kRestartWait);
    deliver(NetworkReplyFrom(kDevice0, before)); // the retry's answer
    deliver(NetworkReplyFrom(kDevice0, before)); // and a duplicate of it
    EXPECT_EQ(area(), "设置参数... \r\n");
    EXPECT_EQ(h.networkPage.current.staticIp, "192.168.0.50") << "the page keeps what was written";
    const std::size_t sends = h.shell.sent.size();
    after(kVerifyAttempt);
    EXPECT_EQ(h.shell.sent.size(), sends + 1);
    EXPECT_EQ(lastSent(), EncodeReadNetworkRequest(kDevice0)) << "read again";
    deliver(NetworkReplyFrom(kDevice0, written));
    EXPECT_EQ(area(), "设置参数... \r\n设备已重启，网络参数已生效\r\n");
    // A device that answers with values it was not given did take something: that is a verdict.
    OnConfigureNetwork(h.ui);
    after(kRestartWait);
    NetworkBlock other = written;
    other.setMaxConnections(3);
    deliver(NetworkReplyFrom(kDevice0, other));
    EXPECT_THAT(area(), HasSubstr("最大连接数量：写入 8，设备为 3"));
}

TEST_F(Outcomes, AReadDuringTheRestartWaitsForItAndFillsThePage)
{
    doubleClick(0);
    deliver(NetworkReplyFrom(kDevice0, Settings(0xC0A8000Au, 3000)));
    OnConfigureNetwork(h.ui);
    const NetworkBlock written = h.state.LastNetworkBlock;
    h.networkPage.current.staticIp = "typed";
    const std::size_t sends = h.shell.sent.size();
    doubleClick(0);
    EXPECT_EQ(h.shell.sent.size(), sends) << "nothing sent to a restarting device";
    EXPECT_EQ(area(), "读取参数...\r\n设备正在重启，等设备重新上线后读取...\r\n");
    after(kRestartWait);
    deliver(NetworkReplyFrom(kDevice0, written));
    EXPECT_EQ(h.networkPage.current.staticIp, "192.168.0.10");
    EXPECT_THAT(area(), HasSubstr("设备已重启，网络参数已生效\r\n读取网络参数成功！\r\n"));
}

TEST_F(Outcomes, AMacWriteIsCheckedUnderTheNewMac)
{
    doubleClick(0);
    deliver(NetworkReplyFrom(kDevice0, Settings(0xC0A8000Au, 3000)));
    h.networkPage.current.mac = "00-0E-EB-00-00-99";
    OnWriteMac(h.ui);
    const MacAddress newMac{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x99};
    after(kRestartWait);
    EXPECT_EQ(lastSent(), EncodeReadNetworkRequest(newMac));
    deliver(NetworkReplyFrom(kDevice0, Settings(0xC0A8000Au, 3000)));
    EXPECT_THAT(area(), Not(HasSubstr("MAC地址已改为"))) << "the old MAC does not count";
    EXPECT_EQ(h.state.SelectedDeviceMac, kDevice0);
    deliver(NetworkReplyFrom(newMac, Settings(0xC0A8000Au, 3000)));
    // Done only once the old MAC no longer answers.
    after(100ms);
    EXPECT_EQ(lastSent(), EncodeReadNetworkRequest(kDevice0));
    EXPECT_THAT(area(), Not(HasSubstr("MAC地址已改为")));
    const std::size_t sends = h.shell.sent.size();
    after(kReplyTimeout);
    EXPECT_EQ(h.shell.sent.size(), sends + 1) << "asked once more";
    after(kReplyTimeout);
    EXPECT_THAT(area(), HasSubstr("MAC地址已改为00-0E-EB-00-00-99，设备已用新地址应答\r\n"));
    // The commands now go where the device answers.
    EXPECT_EQ(h.state.SelectedDeviceMac, newMac);

    // A device that never answers at either MAC.
    h.networkPage.current.mac = "00-0E-EB-00-00-98";
    OnWriteMac(h.ui);
    EXPECT_EQ(lastSent(), EncodeWriteMacRequest(newMac, {0x00, 0x0E, 0xEB, 0x00, 0x00, 0x98}));
    waitFor(kVerifyGiveUp + 2 * kReplyTimeout + 200ms);
    EXPECT_THAT(area(),
                HasSubstr("新MAC地址00-0E-EB-00-00-98和旧MAC地址00-0E-EB-00-00-99都没有应答"));
}

TEST_F(Outcomes, AMacWriteTheDeviceIgnoredSaysItStillAnswersAtItsOldMac)
{
    const NetworkBlock own = Settings(0xC0A8000Au, 3000);
    const MacAddress newMac{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x99};
    doubleClick(0);
    deliver(NetworkReplyFrom(kDevice0, own));
    h.networkPage.current.mac = "00-0E-EB-00-00-99";
    OnWriteMac(h.ui);
    waitFor(kVerifyGiveUp + 100ms);
    EXPECT_EQ(lastSent(), EncodeReadNetworkRequest(kDevice0)) << "the old MAC is asked";
    deliver(NetworkReplyFrom(kDevice0, own));
    EXPECT_THAT(area(), HasSubstr("设备仍在旧MAC地址00-0E-EB-00-00-01应答，新MAC地址"
                                  "00-0E-EB-00-00-99没有应答：MAC地址没有改变"));
    EXPECT_EQ(h.state.SelectedDeviceMac, kDevice0);

    // The new MAC answers, and so does the old one: not done either.
    OnWriteMac(h.ui);
    after(kRestartWait);
    deliver(NetworkReplyFrom(newMac, own));
    deliver(NetworkReplyFrom(kDevice0, own));
    EXPECT_THAT(area(), HasSubstr("旧MAC地址00-0E-EB-00-00-01仍有设备应答"));
    EXPECT_EQ(h.state.SelectedDeviceMac, kDevice0);

    // Another device answering at the new MAC shows another record.
    OnWriteMac(h.ui);
    after(kRestartWait);
    deliver(NetworkReplyFrom(newMac, Settings(0xC0A80063u, 5000)));
    EXPECT_THAT(area(), HasSubstr("可能是另一台设备"));
    EXPECT_TRUE(h.state.verifications.empty());
}

TEST_F(Outcomes, FactoryResetAsksNamingTheDeviceAndNoSendsNothing)
{
    doubleClick(1);
    deliver(NetworkReplyFrom(kDevice1, Settings(0xC0A8000Bu, 2000)));
    const std::size_t sends = h.shell.sent.size();
    h.shell.answerYes = false;
    OnLoadDefaults(h.ui);
    ASSERT_EQ(h.shell.questions.size(), 1u);
    EXPECT_EQ(h.shell.questions[0].text,
              "确定要将设备00-0E-EB-00-00-02（IP 192.168.0.11）恢复出厂设置吗？"
              "设备的网络参数将全部恢复为出厂值。");
    EXPECT_EQ(h.shell.sent.size(), sends);

    // Without the device's own record held (as after a write not yet verified), its answer
    // proves nothing.
    h.state.networkBlockMac.reset();
    h.shell.answerYes = true;
    OnLoadDefaults(h.ui);
    EXPECT_EQ(lastSent(), EncodeFactoryResetRequest(kDevice1));
    after(kRestartWait);
    EXPECT_EQ(lastSent(), EncodeReadNetworkRequest(kDevice1));
    deliver(NetworkReplyFrom(kDevice1, Settings(0xC0A8000Bu, 2000)));
    EXPECT_THAT(area(), HasSubstr("不能确定是否已恢复出厂设置"));
}

TEST_F(Outcomes, AResetIsDoneOnlyWhenTheRecordChangedAndThePageShowsTheNewValues)
{
    const NetworkBlock configured = Settings(0xC0A80032u, 4000);
    const NetworkBlock factory = Settings(0xC0A8000Au, 2000);
    doubleClick(0);
    deliver(NetworkReplyFrom(kDevice0, configured));
    OnLoadDefaults(h.ui);
    after(kRestartWait);
    deliver(NetworkReplyFrom(kDevice0, configured)); // late, from before the reset
    EXPECT_EQ(area(), "恢复出厂设置...\r\n");
    EXPECT_EQ(h.networkPage.current.staticIp, "192.168.0.50");
    after(kVerifyAttempt);
    deliver(NetworkReplyFrom(kDevice0, factory));
    EXPECT_EQ(area(), "恢复出厂设置...\r\n设备已恢复出厂设置并重启，设备IP：192.168.0.10\r\n"
                      "网络参数页已显示设备恢复出厂设置后的参数\r\n");
    // The page holds the device's new values: a write now sends them, not the old ones.
    EXPECT_EQ(h.networkPage.current.staticIp, "192.168.0.10");
    EXPECT_EQ(h.networkPage.current.servers[0].localPort, "2000");
    OnConfigureNetwork(h.ui);
    EXPECT_EQ(lastSent(), EncodeWriteNetworkRequest(kDevice0, factory.bytes()));

    // A device that ignores the reset answers with its record unchanged until the window ends.
    after(kRestartWait);
    deliver(NetworkReplyFrom(kDevice0, factory));
    OnLoadDefaults(h.ui);
    for (auto t = 0ms; t < kVerifyGiveUp; t += kVerifyAttempt) {
        after(kVerifyAttempt);
        deliver(NetworkReplyFrom(kDevice0, factory));
    }
    after(kVerifyAttempt);
    EXPECT_EQ(area(), "恢复出厂设置...\r\n设备00-0E-EB-00-00-01的网络参数与恢复前相同：恢复出厂设置"
                      "没有生效（或设备原本就是出厂设置）\r\n");
    EXPECT_TRUE(h.state.verifications.empty());
}

TEST_F(Outcomes, ADeviceWriteSucceedsOnlyOnItsOwnDevicesAcknowledgement)
{
    doubleClick(0);
    deliver(NetworkReplyFrom(kDevice0, Settings(0xC0A8000Au, 3000)));
    OnReadDeviceBlock(h.ui);
    // Settings a write accepts, so that only the acknowledgement decides.
    const auto writable = CheckDeviceForm(DefaultDeviceForm());
    ASSERT_TRUE(writable);
    deliver(DeviceReplyFrom(kDevice0, *writable));
    OnWriteDeviceBlock(h.ui);
    deliver(WriteAckFrom(kDevice1));
    EXPECT_EQ(area(), "设置参数... \r\n") << "another device's acknowledgement";
    after(kReplyTimeout);
    EXPECT_EQ(lastSent(), h.shell.sent[h.shell.sent.size() - 2]) << "the write is sent again";
    deliver(WriteAckFrom(kDevice0));
    EXPECT_EQ(area(), "设置参数... \r\n下载设备参数成功！\r\n");

    OnWriteDeviceBlock(h.ui);
    after(kReplyTimeout);
    after(kReplyTimeout);
    EXPECT_EQ(area(), "设置参数... \r\n设备00-0E-EB-00-00-01没有确认参数写入，参数可能没有保存："
                      "请重新读取设备参数后再配置\r\n");
}

TEST_F(Outcomes, ADeviceBlockReadFromOneDeviceDoesNotAllowAWriteToAnother)
{
    doubleClick(0);
    deliver(NetworkReplyFrom(kDevice0, Settings(0xC0A8000Au, 3000)));
    OnReadDeviceBlock(h.ui);
    deliver(DeviceReplyFrom(kDevice0, DeviceBlock{}));
    doubleClick(1);
    deliver(NetworkReplyFrom(kDevice1, Settings(0xC0A8000Bu, 2000)));
    const std::size_t sends = h.shell.sent.size();
    OnWriteDeviceBlock(h.ui);
    EXPECT_EQ(h.shell.sent.size(), sends);
    ASSERT_EQ(h.shell.boxes.size(), 1u);
    EXPECT_EQ(h.shell.boxes[0].caption, "提示");
}

TEST_F(Outcomes, WithNoOpenEndpointEveryCommandSaysNothingWasSentAndWaitsForNothing)
{
    // The device was read while an interface was up; the writes after that find none.
    doubleClick(0);
    deliver(NetworkReplyFrom(kDevice0, Settings(0xC0A8000Au, 3000)));
    h.shell.openEndpoints = 0;
    const std::string line = std::string(kNothingSentLine) + "\r\n";
    doubleClick(0);
    EXPECT_EQ(area(), "读取参数...\r\n" + line);
    OnConfigureNetwork(h.ui);
    EXPECT_EQ(area(), "设置参数... \r\n" + line);
    OnLoadDefaults(h.ui);
    EXPECT_EQ(area(), "恢复出厂设置...\r\n" + line);
    OnReadDeviceBlock(h.ui);
    EXPECT_EQ(area(), "读取设备参数...\r\n" + line);
    OnSearch(h.ui);
    EXPECT_EQ(area(), "搜索...\r\n" + line);
    EXPECT_TRUE(h.state.pending.empty());
    EXPECT_TRUE(h.state.verifications.empty());
}

} // namespace
} // namespace ktr::test
