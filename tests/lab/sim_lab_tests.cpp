// ktr-sim on the virtual lab, driven through a bare UDP client from the PC namespace.
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <thread>

#include "link/frame.h"
#include "ops/device_block.h"
#include "ops/network_block.h"
#include "ops/search_reply.h"
#include "tests/lab/support/raw_udp_client.h"
#include "tests/lab/support/sim_process.h"

namespace ktr {
namespace {

using namespace std::chrono_literals;

constexpr auto kReplyWindow = 500ms;
constexpr auto kSilenceWindow = 300ms;
constexpr auto kRestart = 300ms;
constexpr auto kAfterRestart = 450ms;

MacAddress DeviceMac(std::uint8_t k)
{
    return {0x00, 0x0E, 0xEB, 0x00, 0x00, static_cast<std::uint8_t>(0x01 + k)};
}

std::vector<std::string> SimArgs(int devices, std::vector<std::string> extra = {})
{
    std::vector<std::string> args{"--devices",    std::to_string(devices),
                                  "--ip",         "192.168.0.10",
                                  "--mac",        "00-0E-EB-00-00-01",
                                  "--firmware",   "288",
                                  "--restart-ms", "300"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

MacAddress ReplyMac(const ClientDatagram &d)
{
    const std::optional<MacAddress> mac = RequestMac(d.data);
    EXPECT_TRUE(mac) << "reply too short for a MAC";
    return mac.value_or(MacAddress{});
}

std::vector<SearchReply> SearchReplies(const std::vector<ClientDatagram> &datagrams)
{
    std::vector<SearchReply> found;
    for (const ClientDatagram &d : datagrams) {
        if (ClassifyDatagram(d.data).kind == DatagramKind::SearchReply)
            found.push_back(DecodeSearchReply(d.data));
    }
    return found;
}

class SimLab : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(client_.open(kLabPc0), ""); }

    void startSim(const std::vector<std::string> &args, LabHost host = LabHost::Dev)
    {
        ASSERT_EQ(sim_.start(args, host), "");
    }

    std::vector<ClientDatagram> request(const Bytes &frame, std::size_t expected = SIZE_MAX)
    {
        return client_.exchange(frame, expected == 0 ? kSilenceWindow : kReplyWindow, expected);
    }

    std::optional<NetworkBlock> readNetwork(const MacAddress &mac)
    {
        const auto replies = request(EncodeReadNetworkRequest(mac), 1);
        if (replies.size() != 1)
            return std::nullopt;
        const Datagram d = ClassifyDatagram(replies[0].data);
        if (d.kind != DatagramKind::NetworkReply || ReplyMac(replies[0]) != mac)
            return std::nullopt;
        return NetworkBlock(d.payload.first<kNetworkBlockSize>());
    }

    std::optional<DeviceBlock> readDevice(const MacAddress &mac)
    {
        const auto replies =
            request(EncodeTunnelRequest(mac, BuildTunnelFrame(kTunnelReadBlock)), 1);
        if (replies.size() != 1)
            return std::nullopt;
        const Datagram d = ClassifyDatagram(replies[0].data);
        if (d.kind != DatagramKind::TunnelReply)
            return std::nullopt;
        const TunnelCheck check = CheckTunnelFrame(d.payload);
        if (check.status != TunnelStatus::Accepted || check.function != kTunnelReadBlock)
            return std::nullopt;
        return DecodeDeviceBody(check.body.first<kDeviceBodySize>());
    }

    // The short acknowledgement a device sends before it restarts.
    void expectAck(const Bytes &requestFrame, std::uint8_t command, const MacAddress &mac)
    {
        const auto replies = request(requestFrame, 1);
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(ClassifyDatagram(replies[0].data).kind, DatagramKind::Undecoded);
        EXPECT_EQ(replies[0].data[3], command);
        EXPECT_EQ(ReplyMac(replies[0]), mac);
    }

    SimProcess sim_;
    RawUdpClient client_;
};

TEST_F(SimLab, SearchOfThreeDevicesGivesThreeReplies)
{
    startSim(SimArgs(3));
    const auto replies = request(EncodeSearchRequest());
    ASSERT_EQ(replies.size(), 3u);
    std::set<std::uint32_t> ips;
    std::set<MacAddress> macs;
    for (const SearchReply &r : SearchReplies(replies)) {
        ips.insert(r.ip);
        macs.insert(r.mac);
        EXPECT_EQ(r.firmware, 288);
    }
    EXPECT_EQ(ips, (std::set<std::uint32_t>{0xC0A8000A, 0xC0A8000B, 0xC0A8000C}));
    EXPECT_EQ(macs, (std::set<MacAddress>{DeviceMac(0), DeviceMac(1), DeviceMac(2)}));
    for (const ClientDatagram &d : replies) {
        EXPECT_FALSE(d.unicast);
        EXPECT_EQ(d.from, kLabDev0) << "replies leave from the devices namespace's address";
    }
    EXPECT_TRUE(sim_.waitForLines("search -> reply", 3, 1s));
}

TEST_F(SimLab, ReadGivesTheFactoryNetworkBlockOfTheAddressedDeviceOnly)
{
    startSim(SimArgs(3));
    const auto replies = request(EncodeReadNetworkRequest(DeviceMac(1)));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].data.size(), kMinNetworkReply + 1);
    EXPECT_EQ(ReplyMac(replies[0]), DeviceMac(1));
    const Datagram d = ClassifyDatagram(replies[0].data);
    ASSERT_EQ(d.kind, DatagramKind::NetworkReply);
    const NetworkBlock block(d.payload.first<kNetworkBlockSize>());
    EXPECT_TRUE(block.isStaticIp());
    EXPECT_EQ(block.address(AddressField::StaticIp), 0xC0A8000Bu);
    EXPECT_EQ(block.address(AddressField::SubnetMask), 0xFFFFFF00u);
    EXPECT_EQ(block.address(AddressField::Gateway), 0xC0A80001u);
    EXPECT_EQ(block.maxConnections(), 8);
    EXPECT_EQ(block.server(7).localPort(), 2007);
    EXPECT_EQ(block.server(7).targetAddress(), "192.168.0.166");
    EXPECT_TRUE(std::any_of(block.opaque().begin(), block.opaque().end(),
                            [](std::uint8_t b) { return b != 0; }));
}

TEST_F(SimLab, WriteThenReadGivesTheWrittenBlockAndTheNewAddress)
{
    startSim(SimArgs(2));
    auto block = readNetwork(DeviceMac(0));
    ASSERT_TRUE(block);
    block->setAddress(AddressField::StaticIp, 0xC0A80505);
    block->setMaxConnections(3);
    block->server(0).setLocalPort(4000);
    ASSERT_TRUE(block->server(0).overlayTargetAddress("10.0.0.1"));
    expectAck(EncodeWriteNetworkRequest(DeviceMac(0), block->bytes()), kCmdWriteNetwork,
              DeviceMac(0));

    EXPECT_EQ(request(EncodeReadNetworkRequest(DeviceMac(0)), 0).size(), 0u)
        << "a restarting device stays silent";
    std::this_thread::sleep_for(kAfterRestart);
    const auto readBack = readNetwork(DeviceMac(0));
    ASSERT_TRUE(readBack);
    EXPECT_EQ(*readBack, *block);
    EXPECT_EQ(readBack->server(0).targetAddress(), "10.0.0.1");

    const auto found = SearchReplies(request(EncodeSearchRequest(), 2));
    ASSERT_EQ(found.size(), 2u);
    const auto it = std::find_if(found.begin(), found.end(),
                                 [](const SearchReply &r) { return r.mac == DeviceMac(0); });
    ASSERT_NE(it, found.end());
    EXPECT_EQ(it->ip, 0xC0A80505u);
}

TEST_F(SimLab, TunnelReadAndWriteRoundTrip)
{
    startSim(SimArgs(1));
    auto block = readDevice(DeviceMac(0));
    ASSERT_TRUE(block);
    EXPECT_NE(*block, DefaultPageDeviceBlock()) << "a read must visibly change the page";
    block->terminalAddress = 0x1234566F;
    block->reportInterval = 4464;
    block->baudRate = 115200;
    block->tempLow[7] = -400;
    block->humHigh[3] = 999;

    const auto replies =
        request(EncodeTunnelRequest(DeviceMac(0),
                                    BuildTunnelFrame(kTunnelWriteBlock, EncodeDeviceBody(*block))),
                1);
    ASSERT_EQ(replies.size(), 1u);
    const Datagram ack = ClassifyDatagram(replies[0].data);
    ASSERT_EQ(ack.kind, DatagramKind::TunnelReply);
    EXPECT_EQ(ack.payload.size(), kTunnelReadFrameSize);
    const TunnelCheck check = CheckTunnelFrame(ack.payload);
    EXPECT_EQ(check.status, TunnelStatus::Accepted);
    EXPECT_EQ(check.function, kTunnelWriteBlock);

    const auto readBack = readDevice(DeviceMac(0));
    ASSERT_TRUE(readBack);
    EXPECT_EQ(*readBack, *block);
}

TEST_F(SimLab, MacChangeIsAnsweredUnderTheNewMac)
{
    startSim(SimArgs(2));
    const MacAddress newMac{0x00, 0x0E, 0xEB, 0xAA, 0xBB, 0xCC};
    expectAck(EncodeWriteMacRequest(DeviceMac(0), newMac), kCmdWriteMac, DeviceMac(0));
    std::this_thread::sleep_for(kAfterRestart);

    EXPECT_EQ(request(EncodeReadNetworkRequest(DeviceMac(0)), 0).size(), 0u);
    EXPECT_TRUE(readNetwork(newMac));
    std::set<MacAddress> macs;
    for (const SearchReply &r : SearchReplies(request(EncodeSearchRequest(), 2)))
        macs.insert(r.mac);
    EXPECT_EQ(macs, (std::set<MacAddress>{newMac, DeviceMac(1)}));
}

TEST_F(SimLab, FactoryResetRestoresTheDefaults)
{
    startSim(SimArgs(1));
    const auto factoryNetwork = readNetwork(DeviceMac(0));
    const auto factoryDevice = readDevice(DeviceMac(0));
    ASSERT_TRUE(factoryNetwork && factoryDevice);

    NetworkBlock changed = *factoryNetwork;
    changed.setStaticIp(false);
    changed.server(2).setTargetPort(9);
    DeviceBlock changedDevice = *factoryDevice;
    changedDevice.workMode = 5;
    request(EncodeTunnelRequest(
                DeviceMac(0), BuildTunnelFrame(kTunnelWriteBlock, EncodeDeviceBody(changedDevice))),
            1);
    expectAck(EncodeWriteNetworkRequest(DeviceMac(0), changed.bytes()), kCmdWriteNetwork,
              DeviceMac(0));
    std::this_thread::sleep_for(kAfterRestart);
    ASSERT_EQ(readNetwork(DeviceMac(0)), changed);
    ASSERT_EQ(readDevice(DeviceMac(0)), changedDevice);

    expectAck(EncodeFactoryResetRequest(DeviceMac(0)), kCmdFactoryReset, DeviceMac(0));
    std::this_thread::sleep_for(kAfterRestart);
    EXPECT_EQ(readNetwork(DeviceMac(0)), factoryNetwork);
    EXPECT_EQ(readDevice(DeviceMac(0)), factoryDevice);
}

TEST_F(SimLab, FramesWithBadFrameSumOrAnotherMacAreIgnored)
{
    startSim(SimArgs(3));
    Bytes badSum = EncodeSearchRequest();
    badSum.back() ^= 0x01;
    EXPECT_EQ(request(badSum, 0).size(), 0u);
    EXPECT_TRUE(sim_.waitForLine("bad FrameSum", 1s));

    Bytes badRead = EncodeReadNetworkRequest(DeviceMac(0));
    badRead.back() ^= 0x80;
    EXPECT_EQ(request(badRead, 0).size(), 0u);

    const MacAddress stranger{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x09};
    EXPECT_EQ(request(EncodeReadNetworkRequest(stranger), 0).size(), 0u);
    EXPECT_EQ(request(EncodeFactoryResetRequest(stranger), 0).size(), 0u);
    EXPECT_TRUE(sim_.waitForLine("no such device", 1s));

    Bytes badTunnel = EncodeTunnelRequest(DeviceMac(2), BuildTunnelFrame(kTunnelReadBlock));
    std::swap(badTunnel[12], badTunnel[13]); // CRC bytes swapped
    badTunnel.back() = FrameSum(ByteView(badTunnel).subspan(3, badTunnel.size() - 4));
    EXPECT_EQ(request(badTunnel, 0).size(), 0u);
    EXPECT_TRUE(sim_.waitForLine("tunnel frame rejected", 1s));
}

TEST_F(SimLab, UnicastEveryOtherDevice)
{
    startSim(SimArgs(3, {"--unicast-every", "2"}));
    const auto replies = request(EncodeSearchRequest(), 3);
    ASSERT_EQ(replies.size(), 3u);
    for (const ClientDatagram &d : replies) {
        const MacAddress mac = DecodeSearchReply(d.data).mac;
        EXPECT_EQ(d.unicast, mac != DeviceMac(1)) << "device " << int(mac[5] - 1);
        EXPECT_EQ(d.from, kLabDev0);
    }
}

TEST_F(SimLab, DevicesOnTheSecondSegmentAnswerOnlyThere)
{
    startSim(SimArgs(1), LabHost::Dev2);
    EXPECT_EQ(request(EncodeSearchRequest(), 0).size(), 0u) << "pc0 is on the other bridge";

    RawUdpClient second;
    ASSERT_EQ(second.open(kLabPc1), "");
    const auto replies = second.exchange(EncodeSearchRequest(), kReplyWindow, 1);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].from, kLabDev1);
}

TEST_F(SimLab, StopsCleanlyOnSigterm)
{
    startSim(SimArgs(1));
    EXPECT_EQ(sim_.stop(), 0);
    EXPECT_EQ(sim_.countLines("stopped"), 1u);
}

TEST_F(SimLab, ThousandDevicesAnswerOneSearch)
{
    startSim(SimArgs(1000));
    ASSERT_GE(client_.receiveBufferBytes(), 2 * 1024 * 1024);
    const auto replies = client_.exchange(EncodeSearchRequest(), 10s, 1000);
    std::set<MacAddress> macs;
    for (const SearchReply &r : SearchReplies(replies))
        macs.insert(r.mac);
    EXPECT_EQ(macs.size(), 1000u);
    EXPECT_TRUE(sim_.waitForLines("search -> reply", 1000, 5s));
}

TEST_F(SimLab, QuietSummaryCountsTheSearchNotItsOwnRepliesComingBack)
{
    startSim(SimArgs(1000, {"--quiet"}));
    EXPECT_EQ(client_.exchange(EncodeSearchRequest(), 10s, 1000).size(), 1000u);
    ASSERT_TRUE(sim_.waitForLine("summary: ", 5s));
    // The broadcast replies reach the simulator's own socket too; they are no requests.
    std::this_thread::sleep_for(kSilenceWindow);
    EXPECT_EQ(sim_.countLines("summary: 1 requests, 1000 replies sent"), 1u);
    EXPECT_EQ(sim_.countLines("summary: "), 1u);
    EXPECT_EQ(sim_.countLines("search ->"), 0u);
}

// --- Misbehaviour: each switch applied to device 1 of two --------------------------------

struct MisbehaviourCase
{
    const char *name;
    std::vector<std::string> options;
    std::function<void(RawUdpClient &)> check;
};

void PrintTo(const MisbehaviourCase &c, std::ostream *os)
{
    *os << c.name;
}

std::vector<ClientDatagram> Search(RawUdpClient &client, std::chrono::milliseconds window)
{
    return client.exchange(EncodeSearchRequest(), window);
}

std::multiset<MacAddress> Macs(const std::vector<ClientDatagram> &replies)
{
    std::multiset<MacAddress> macs;
    for (const SearchReply &r : SearchReplies(replies))
        macs.insert(r.mac);
    return macs;
}

const MisbehaviourCase kMisbehaviour[] = {
    {"Drop",
     {"--drop", "1"},
     [](RawUdpClient &c) {
         EXPECT_EQ(Macs(Search(c, kReplyWindow)), (std::multiset<MacAddress>{DeviceMac(0)}));
     }},
    {"Duplicate",
     {"--duplicate", "1"},
     [](RawUdpClient &c) {
         EXPECT_EQ(Macs(Search(c, kReplyWindow)),
                   (std::multiset<MacAddress>{DeviceMac(0), DeviceMac(1), DeviceMac(1)}));
     }},
    {"WrongMac",
     {"--wrong-mac", "1"},
     [](RawUdpClient &c) {
         MacAddress wrong = DeviceMac(1);
         wrong[5] ^= 0xFF;
         EXPECT_EQ(Macs(Search(c, kReplyWindow)), (std::multiset<MacAddress>{DeviceMac(0), wrong}));
     }},
    {"Delay",
     {"--delay", "1", "--delay-ms", "600"},
     [](RawUdpClient &c) {
         EXPECT_EQ(Macs(Search(c, 300ms)), (std::multiset<MacAddress>{DeviceMac(0)}));
         EXPECT_EQ(Macs(c.collect(800ms)), (std::multiset<MacAddress>{DeviceMac(1)}));
     }},
    {"ShortReply",
     {"--short-reply", "1"},
     [](RawUdpClient &c) {
         const auto replies = c.exchange(EncodeReadNetworkRequest(DeviceMac(1)), kReplyWindow);
         ASSERT_EQ(replies.size(), 1u);
         EXPECT_EQ(ClassifyDatagram(replies[0].data).kind, DatagramKind::Truncated);
         const auto intact = c.exchange(EncodeReadNetworkRequest(DeviceMac(0)), kReplyWindow);
         ASSERT_EQ(intact.size(), 1u);
         EXPECT_EQ(ClassifyDatagram(intact[0].data).kind, DatagramKind::NetworkReply);
     }},
    {"BadCrc",
     {"--bad-crc", "1"},
     [](RawUdpClient &c) {
         for (std::uint8_t k : {0, 1}) {
             const auto replies =
                 c.exchange(EncodeTunnelRequest(DeviceMac(k), BuildTunnelFrame(kTunnelReadBlock)),
                            kReplyWindow);
             ASSERT_EQ(replies.size(), 1u);
             const Datagram d = ClassifyDatagram(replies[0].data);
             ASSERT_EQ(d.kind, DatagramKind::TunnelReply);
             EXPECT_EQ(CheckTunnelFrame(d.payload).status,
                       k == 1 ? TunnelStatus::BadCrc : TunnelStatus::Accepted);
         }
     }},
};

class SimMisbehaviour : public SimLab, public ::testing::WithParamInterface<MisbehaviourCase>
{
};

TEST_P(SimMisbehaviour, AffectsOnlyTheChosenDevice)
{
    startSim(SimArgs(2, GetParam().options));
    GetParam().check(client_);
}

INSTANTIATE_TEST_SUITE_P(Switches, SimMisbehaviour, ::testing::ValuesIn(kMisbehaviour),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace ktr
