// Request handling of the simulated devices, without sockets.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <vector>

#include "ops/search_reply.h"
#include "tools/sim/fleet.h"

namespace ktr {
namespace {

using namespace std::chrono_literals;

const SimClock::time_point kNow = SimClock::time_point{} + 1h;

MacAddress DeviceMac(std::uint8_t k)
{
    return {0x00, 0x0E, 0xEB, 0x00, 0x00, static_cast<std::uint8_t>(0x01 + k)};
}

FleetOptions Options(std::size_t devices)
{
    FleetOptions o;
    o.devices = devices;
    o.restart = 1500ms;
    return o;
}

Bytes TunnelRead(const MacAddress &mac)
{
    return EncodeTunnelRequest(mac, BuildTunnelFrame(kTunnelReadBlock));
}

Bytes TunnelWrite(const MacAddress &mac, const DeviceBlock &block)
{
    return EncodeTunnelRequest(mac, BuildTunnelFrame(kTunnelWriteBlock, EncodeDeviceBody(block)));
}

// The log lines a search's notes make, one per device.
std::vector<std::string> SearchLines(const Fleet &fleet, const Handling &h)
{
    std::string text;
    fleet.describeSearch(h.searched, text);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

TEST(Fleet, SearchGetsOneReplyPerDevice)
{
    Fleet fleet(Options(3));
    const Handling h = fleet.handle(EncodeSearchRequest(), kNow);
    ASSERT_EQ(h.replies.size(), 3u);
    EXPECT_TRUE(h.lines.empty());
    const std::vector<std::string> lines = SearchLines(fleet, h);
    ASSERT_EQ(lines.size(), 3u);
    for (std::uint8_t k = 0; k < 3; ++k) {
        const Outgoing &out = h.replies[k];
        EXPECT_EQ(ClassifyDatagram(out.datagram).kind, DatagramKind::SearchReply);
        const SearchReply r = DecodeSearchReply(out.datagram);
        EXPECT_EQ(r.ip, 0xC0A8000Au + k);
        EXPECT_EQ(r.mac, DeviceMac(k));
        EXPECT_EQ(r.firmware, 288);
        EXPECT_EQ(out.delivery, Delivery::Broadcast);
        EXPECT_EQ(out.sendAt, kNow);
    }
    EXPECT_EQ(lines[2], "dev 2 00-0E-EB-00-00-03 search -> reply " +
                            std::to_string(h.replies[2].datagram.size()) + " bytes broadcast");
}

TEST(Fleet, SearchLinesMadeLaterTellWhatEachDeviceDidThen)
{
    FleetOptions options = Options(8);
    options.drop = *DeviceSet::parse("0");
    options.shortReply = *DeviceSet::parse("1");
    options.unicast = *DeviceSet::parse("2");
    options.delay = *DeviceSet::parse("3");
    options.delayBy = 700ms;
    options.wrongMac = *DeviceSet::parse("4");
    options.duplicate = *DeviceSet::parse("5");
    options.badCrc = DeviceSet::all(); // tunnel frames only: no search reply has one
    Fleet fleet(options);
    fleet.handle(EncodeFactoryResetRequest(DeviceMac(6)), kNow - 1s);
    const Handling h = fleet.handle(EncodeSearchRequest(), kNow);
    // A MAC change after the search does not rewrite what the search saw.
    const MacAddress renamed{0x00, 0x0E, 0xEB, 0x00, 0x01, 0x00};
    fleet.handle(EncodeWriteMacRequest(DeviceMac(7), renamed), kNow);

    EXPECT_EQ(SearchLines(fleet, h),
              (std::vector<std::string>{
                  "dev 0 00-0E-EB-00-00-01 search -> reply 33 bytes dropped",
                  "dev 1 00-0E-EB-00-00-02 search -> short reply 11 bytes broadcast",
                  "dev 2 00-0E-EB-00-00-03 search -> reply 33 bytes unicast",
                  "dev 3 00-0E-EB-00-00-04 search -> reply 33 bytes broadcast after 700 ms",
                  "dev 4 00-0E-EB-00-00-05 search -> reply 33 bytes broadcast with wrong MAC",
                  "dev 5 00-0E-EB-00-00-06 search -> reply 33 bytes broadcast twice",
                  "dev 6 00-0E-EB-00-00-07 search ignored: restarting",
                  "dev 7 00-0E-EB-00-00-08 search -> reply 33 bytes broadcast",
              }));
    // Dropped and restarting devices send nothing, the duplicating one twice.
    EXPECT_EQ(h.replies.size(), 7u);
}

TEST(Fleet, RepliesComingBackAreNoRequestsButGarbageIs)
{
    Fleet fleet(Options(2));
    const Handling echo =
        fleet.handle(fleet.handle(EncodeSearchRequest(), kNow).replies[0].datagram, kNow);
    EXPECT_TRUE(echo.echo);
    EXPECT_TRUE(echo.lines.empty());
    EXPECT_TRUE(echo.replies.empty());

    const Handling garbage = fleet.handle(Bytes{0x00, 0x01, 0x02}, kNow);
    EXPECT_FALSE(garbage.echo);
    EXPECT_EQ(garbage.lines, std::vector<std::string>{"ignored 3 bytes: not a request"});
    EXPECT_FALSE(fleet.handle(EncodeSearchRequest(), kNow).echo);
}

TEST(Fleet, ALargeSearchHandsItsRepliesOnInOrderWhileItIsStillBuildingThem)
{
    constexpr std::size_t kDevices = Fleet::kFirstBatch + 2 * Fleet::kEarlyBatch + 10;
    Fleet fleet(Options(kDevices));
    std::vector<std::size_t> parts;
    std::vector<Outgoing> replies;
    std::size_t lines = 0;
    const auto take = [&](Handling &h) {
        parts.push_back(h.replies.size());
        EXPECT_EQ(h.searched.size(), h.replies.size());
        lines += h.searched.size();
        std::move(h.replies.begin(), h.replies.end(), std::back_inserter(replies));
        h.replies.clear();
        h.searched.clear();
    };
    Handling rest = fleet.handle(EncodeSearchRequest(), kNow, take);
    take(rest);

    EXPECT_EQ(parts, (std::vector<std::size_t>{Fleet::kFirstBatch, Fleet::kEarlyBatch,
                                               Fleet::kEarlyBatch, 10}));
    ASSERT_EQ(replies.size(), kDevices);
    EXPECT_EQ(lines, kDevices);
    for (std::size_t k = 0; k < kDevices; ++k)
        EXPECT_EQ(DecodeSearchReply(replies[k].datagram).ip, 0xC0A8000Au + k);
}

TEST(Fleet, ReadNetworkAnswersWithTheBlockAtOffsetTen)
{
    Fleet fleet(Options(2));
    const Handling h = fleet.handle(EncodeReadNetworkRequest(DeviceMac(1)), kNow);
    ASSERT_EQ(h.replies.size(), 1u);
    const Bytes &reply = h.replies[0].datagram;
    EXPECT_EQ(reply.size(), 303u);
    EXPECT_EQ(reply[1], 0x01);
    EXPECT_EQ(reply[2], 0x2B);
    EXPECT_EQ(reply.back(), FrameSum(ByteView(reply).subspan(3, 299)));
    const Datagram d = ClassifyDatagram(reply);
    ASSERT_EQ(d.kind, DatagramKind::NetworkReply);
    EXPECT_TRUE(
        std::equal(d.payload.begin(), d.payload.end(), fleet.device(1).network.bytes().begin()));
}

// Mutations of a valid read request for device 0 that a device must ignore.
struct BadFrame
{
    const char *name;
    std::function<void(Bytes &)> spoil;
};

void PrintTo(const BadFrame &c, std::ostream *os)
{
    *os << c.name;
}

class FleetIgnores : public ::testing::TestWithParam<BadFrame>
{
};

TEST_P(FleetIgnores, WithoutReplyOrStateChange)
{
    Fleet fleet(Options(2));
    Bytes frame = EncodeReadNetworkRequest(DeviceMac(0));
    GetParam().spoil(frame);
    const Handling h = fleet.handle(frame, kNow);
    EXPECT_TRUE(h.replies.empty());
    EXPECT_FALSE(fleet.device(0).isRestarting(kNow));
}

INSTANTIATE_TEST_SUITE_P(
    Table, FleetIgnores,
    ::testing::Values(BadFrame{"ReplyStartByte",
                               [](Bytes &f) {
                                   f[0] = kReplyStart;
                               }},
                      BadFrame{"OtherStartByte",
                               [](Bytes &f) {
                                   f[0] = 0x00;
                               }},
                      BadFrame{"BadFrameSum",
                               [](Bytes &f) {
                                   f.back() ^= 0x01;
                               }},
                      BadFrame{"LengthPastDatagram",
                               [](Bytes &f) {
                                   f[2] = 0x20;
                               }},
                      BadFrame{"ZeroLength",
                               [](Bytes &f) {
                                   f[2] = 0x00;
                               }},
                      BadFrame{"CutShort",
                               [](Bytes &f) {
                                   f.resize(4);
                               }},
                      BadFrame{"Empty",
                               [](Bytes &f) {
                                   f.clear();
                               }},
                      BadFrame{"AnotherMac",
                               [](Bytes &f) {
                                   f = EncodeReadNetworkRequest(DeviceMac(7));
                               }},
                      BadFrame{"NoMac",
                               [](Bytes &f) {
                                   f = EncodeRequest(kCmdReadNetwork, Bytes{0x00, 0x0E});
                               }},
                      BadFrame{"UnknownCommand",
                               [](Bytes &f) {
                                   f = EncodeRequest(0x07, ByteView(DeviceMac(0)));
                               }},
                      BadFrame{"TunnelCrcSwapped",
                               [](Bytes &f) {
                                   Bytes tunnel = BuildTunnelFrame(kTunnelReadBlock);
                                   std::swap(tunnel[2], tunnel[3]);
                                   f = EncodeTunnelRequest(DeviceMac(0), tunnel);
                               }},
                      BadFrame{"TunnelWriteWithoutBody",
                               [](Bytes &f) {
                                   f = EncodeTunnelRequest(DeviceMac(0), SealTunnelFrame(0x11, {}));
                               }},
                      BadFrame{"TunnelUnknownFunction",
                               [](Bytes &f) {
                                   f = EncodeTunnelRequest(DeviceMac(0), SealTunnelFrame(0x12, {}));
                               }},
                      // A block cut short must not be stored half old, half new.
                      BadFrame{"ShortNetworkBlock",
                               [](Bytes &f) {
                                   const MacAddress mac = DeviceMac(0);
                                   Bytes payload(mac.begin(), mac.end());
                                   payload.resize(6 + 100, 0x11);
                                   f = EncodeRequest(kCmdWriteNetwork, payload);
                               }},
                      BadFrame{"WriteMacWithoutNewMac",
                               [](Bytes &f) {
                                   f = EncodeRequest(kCmdWriteMac, ByteView(DeviceMac(0)));
                               }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Fleet, WriteNetworkStoresAcksAndRestarts)
{
    Fleet fleet(Options(1));
    NetworkBlock block = fleet.device(0).network;
    block.setStaticIp(false);
    block.setAddress(AddressField::StaticIp, 0x0A000001);
    block.server(4).setTargetPort(81);

    const Handling h = fleet.handle(EncodeWriteNetworkRequest(DeviceMac(0), block.bytes()), kNow);
    ASSERT_EQ(h.replies.size(), 1u);
    EXPECT_EQ(h.replies[0].datagram, EncodeReply(kCmdWriteNetwork, DeviceMac(0)));
    EXPECT_EQ(fleet.device(0).network, block);
    EXPECT_NE(h.lines[0].find("restarting for 1500 ms"), std::string::npos) << h.lines[0];

    EXPECT_TRUE(fleet.handle(EncodeSearchRequest(), kNow + 1499ms).replies.empty());
    const Handling after = fleet.handle(EncodeSearchRequest(), kNow + 1500ms);
    ASSERT_EQ(after.replies.size(), 1u);
    // DHCP mode: the search reply shows the device's own address, not the stored static one.
    EXPECT_EQ(DecodeSearchReply(after.replies[0].datagram).ip, 0xC0A8000Au);
}

TEST(Fleet, SearchShowsTheStaticIpOfTheStoredBlock)
{
    Fleet fleet(Options(1));
    NetworkBlock block = fleet.device(0).network;
    block.setAddress(AddressField::StaticIp, 0x0A000001);
    fleet.handle(EncodeWriteNetworkRequest(DeviceMac(0), block.bytes()), kNow);
    const Handling h = fleet.handle(EncodeSearchRequest(), kNow + 2s);
    ASSERT_EQ(h.replies.size(), 1u);
    EXPECT_EQ(DecodeSearchReply(h.replies[0].datagram).ip, 0x0A000001u);
}

TEST(Fleet, TunnelReadAnswersWithTheDeviceBlock)
{
    Fleet fleet(Options(1));
    const Handling h = fleet.handle(TunnelRead(DeviceMac(0)), kNow);
    ASSERT_EQ(h.replies.size(), 1u);
    const Bytes &reply = h.replies[0].datagram;
    EXPECT_EQ(reply.size(), 10u + kDeviceFrameSize + 1);
    EXPECT_EQ(reply[3], kCmdTunnel);
    const Datagram d = ClassifyDatagram(reply);
    ASSERT_EQ(d.kind, DatagramKind::TunnelReply);
    EXPECT_EQ(d.payload.size(), kDeviceFrameSize) << "the length field counts the tunnel frame";
    const TunnelCheck check = CheckTunnelFrame(d.payload);
    ASSERT_EQ(check.status, TunnelStatus::Accepted);
    EXPECT_EQ(check.function, kTunnelReadBlock);
    EXPECT_EQ(DecodeDeviceBody(check.body.first<kDeviceBodySize>()), FactoryDeviceBlock());
}

TEST(Fleet, TunnelWriteStoresAndAcknowledgesWithoutRestart)
{
    Fleet fleet(Options(1));
    DeviceBlock block = FactoryDeviceBlock();
    block.baudRate = -1;
    block.tempLow[7] = -400;
    const Handling h = fleet.handle(TunnelWrite(DeviceMac(0), block), kNow);
    ASSERT_EQ(h.replies.size(), 1u);
    const Datagram d = ClassifyDatagram(h.replies[0].datagram);
    ASSERT_EQ(d.kind, DatagramKind::TunnelReply);
    const Bytes expectedAck{0x7E, 0x11, static_cast<std::uint8_t>(Crc16(Bytes{0x7E, 0x11}) & 0xFF),
                            static_cast<std::uint8_t>(Crc16(Bytes{0x7E, 0x11}) >> 8)};
    EXPECT_EQ(Bytes(d.payload.begin(), d.payload.end()), expectedAck);
    EXPECT_EQ(fleet.device(0).device, block);
    EXPECT_FALSE(fleet.device(0).isRestarting(kNow));
}

TEST(Fleet, WriteMacAcksUnderTheOldMacThenAnswersOnlyToTheNew)
{
    Fleet fleet(Options(2));
    const MacAddress newMac{0x02, 0x00, 0x00, 0x00, 0x00, 0x42};
    const Handling h = fleet.handle(EncodeWriteMacRequest(DeviceMac(0), newMac), kNow);
    ASSERT_EQ(h.replies.size(), 1u);
    EXPECT_EQ(h.replies[0].datagram, EncodeReply(kCmdWriteMac, DeviceMac(0)));
    EXPECT_EQ(fleet.device(0).mac, newMac);

    const auto later = kNow + 2s;
    EXPECT_TRUE(fleet.handle(EncodeReadNetworkRequest(DeviceMac(0)), later).replies.empty());
    const Handling read = fleet.handle(EncodeReadNetworkRequest(newMac), later);
    ASSERT_EQ(read.replies.size(), 1u);
    const std::optional<MacAddress> shown = RequestMac(read.replies[0].datagram);
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, newMac);
}

TEST(Fleet, IgnoredWritesGetNoAnswerChangeNothingAndRestartNothing)
{
    FleetOptions o = Options(2);
    o.ignoreWrites = *DeviceSet::parse("0");
    Fleet fleet(o);
    const SimDevice before = fleet.device(0);
    NetworkBlock block = before.network;
    block.setAddress(AddressField::StaticIp, 0x0A000001);
    DeviceBlock device = before.device;
    device.baudRate = 19200;
    for (const Bytes &write :
         {EncodeWriteNetworkRequest(DeviceMac(0), block.bytes()),
          EncodeFactoryResetRequest(DeviceMac(0)),
          EncodeWriteMacRequest(DeviceMac(0), DeviceMac(9)), TunnelWrite(DeviceMac(0), device)}) {
        const Handling h = fleet.handle(write, kNow);
        EXPECT_TRUE(h.replies.empty());
        ASSERT_EQ(h.lines.size(), 1u);
        EXPECT_NE(h.lines[0].find("ignored: writes ignored"), std::string::npos) << h.lines[0];
    }
    EXPECT_EQ(fleet.device(0).network, before.network);
    EXPECT_EQ(fleet.device(0).device, before.device);
    EXPECT_EQ(fleet.device(0).mac, before.mac);
    EXPECT_FALSE(fleet.device(0).isRestarting(kNow));
    // Reads still answer, and the other device still takes writes.
    EXPECT_EQ(fleet.handle(EncodeReadNetworkRequest(DeviceMac(0)), kNow).replies.size(), 1u);
    EXPECT_EQ(fleet.handle(TunnelRead(DeviceMac(0)), kNow).replies.size(), 1u);
    EXPECT_EQ(fleet.handle(TunnelWrite(DeviceMac(1), device), kNow).replies.size(), 1u);
    EXPECT_EQ(fleet.device(1).device, device);
}

TEST(Fleet, FactoryResetRestoresBothRecordsAndKeepsTheMac)
{
    Fleet fleet(Options(2));
    const MacAddress newMac{0x02, 0x00, 0x00, 0x00, 0x00, 0x42};
    NetworkBlock block = fleet.device(1).network;
    block.setMaxConnections(1);
    DeviceBlock device = FactoryDeviceBlock();
    device.workMode = 4;
    fleet.handle(TunnelWrite(DeviceMac(1), device), kNow);
    fleet.handle(EncodeWriteNetworkRequest(DeviceMac(1), block.bytes()), kNow);
    fleet.handle(EncodeWriteMacRequest(DeviceMac(1), newMac), kNow + 2s);
    ASSERT_NE(fleet.device(1).network, FactoryNetworkBlock(0xC0A8000B));

    const Handling h = fleet.handle(EncodeFactoryResetRequest(newMac), kNow + 4s);
    ASSERT_EQ(h.replies.size(), 1u);
    EXPECT_EQ(h.replies[0].datagram, EncodeReply(kCmdFactoryReset, newMac));
    EXPECT_EQ(fleet.device(1).network, FactoryNetworkBlock(0xC0A8000B));
    EXPECT_EQ(fleet.device(1).device, FactoryDeviceBlock());
    EXPECT_EQ(fleet.device(1).mac, newMac);
    EXPECT_TRUE(fleet.device(1).isRestarting(kNow + 5s));
}

TEST(Fleet, FactoryNetworkBlockFields)
{
    const NetworkBlock block = FactoryNetworkBlock(0xC0A80142);
    EXPECT_EQ(block.bytes()[0], 0x80);
    EXPECT_EQ(block.address(AddressField::StaticIp), 0xC0A80142u);
    EXPECT_EQ(block.address(AddressField::Gateway), 0xC0A80101u);
    EXPECT_EQ(block.address(AddressField::SubnetMask), 0xFFFFFF00u);
    EXPECT_EQ(block.maxConnections(), 8);
    for (int n = 0; n < kServerCount; ++n) {
        EXPECT_EQ(block.server(n).localPort(), 2000 + n);
        EXPECT_EQ(block.server(n).targetPort(), 2000 + n);
        EXPECT_EQ(block.server(n).targetAddress(), "192.168.0.166");
    }
    EXPECT_NE(FactoryDeviceBlock(), DefaultPageDeviceBlock());
}

// --- Misbehaviour, applied to device 1 of two ----------------------------------------------

struct MisbehaviourCase
{
    const char *name;
    std::function<void(FleetOptions &)> enable;
    std::function<Bytes()> request; // addressed to device 1 (or a search)
    std::function<void(const Handling &)> check;
};

void PrintTo(const MisbehaviourCase &c, std::ostream *os)
{
    *os << c.name;
}

class FleetMisbehaves : public ::testing::TestWithParam<MisbehaviourCase>
{
};

TEST_P(FleetMisbehaves, OnlyTheChosenDevice)
{
    FleetOptions options = Options(2);
    GetParam().enable(options);
    Fleet fleet(options);
    GetParam().check(fleet.handle(GetParam().request(), kNow));

    // Device 0 answers the same request for itself normally.
    Fleet plain(Options(2));
    Bytes request = GetParam().request();
    const MacAddress first = DeviceMac(0);
    if (request[3] != kCmdSearch)
        std::copy(first.begin(), first.end(), request.begin() + 4);
    request.back() = FrameSum(ByteView(request).subspan(3, request.size() - 4));
    const Handling h = fleet.handle(request, kNow);
    const Handling expected = plain.handle(request, kNow);
    ASSERT_FALSE(expected.replies.empty());
    EXPECT_EQ(h.replies[0].datagram, expected.replies[0].datagram);
    EXPECT_EQ(h.replies[0].sendAt, kNow);
}

Bytes Search()
{
    return EncodeSearchRequest();
}

INSTANTIATE_TEST_SUITE_P(
    Table, FleetMisbehaves,
    ::testing::Values(
        MisbehaviourCase{"Drop", [](FleetOptions &o) { o.drop = *DeviceSet::parse("1"); },
                         [] { return TunnelRead(DeviceMac(1)); },
                         [](const Handling &h) {
                             EXPECT_TRUE(h.replies.empty());
                             EXPECT_NE(h.lines.at(0).find("dropped"), std::string::npos);
                         }},
        MisbehaviourCase{"Duplicate", [](FleetOptions &o) { o.duplicate = *DeviceSet::parse("1"); },
                         Search,
                         [](const Handling &h) {
                             ASSERT_EQ(h.replies.size(), 3u);
                             EXPECT_EQ(h.replies[1].datagram, h.replies[2].datagram);
                         }},
        MisbehaviourCase{"Delay",
                         [](FleetOptions &o) {
                             o.delay = *DeviceSet::parse("1");
                             o.delayBy = 700ms;
                         },
                         [] { return EncodeReadNetworkRequest(DeviceMac(1)); },
                         [](const Handling &h) {
                             ASSERT_EQ(h.replies.size(), 1u);
                             EXPECT_EQ(h.replies[0].sendAt, kNow + 700ms);
                         }},
        MisbehaviourCase{
            "ShortReply", [](FleetOptions &o) { o.shortReply = *DeviceSet::parse("1"); },
            [] { return EncodeReadNetworkRequest(DeviceMac(1)); },
            [](const Handling &h) {
                ASSERT_EQ(h.replies.size(), 1u);
                EXPECT_EQ(h.replies[0].datagram.size(), 101u);
                EXPECT_EQ(ClassifyDatagram(h.replies[0].datagram).kind, DatagramKind::Truncated);
            }},
        MisbehaviourCase{"WrongMac", [](FleetOptions &o) { o.wrongMac = *DeviceSet::parse("1"); },
                         [] { return EncodeReadNetworkRequest(DeviceMac(1)); },
                         [](const Handling &h) {
                             ASSERT_EQ(h.replies.size(), 1u);
                             const std::optional<MacAddress> shown =
                                 RequestMac(h.replies[0].datagram);
                             ASSERT_TRUE(shown);
                             EXPECT_NE(*shown, DeviceMac(1));
                             EXPECT_EQ((*shown)[5], DeviceMac(1)[5] ^ 0xFF);
                         }},
        MisbehaviourCase{"BadCrc", [](FleetOptions &o) { o.badCrc = *DeviceSet::parse("1"); },
                         [] { return TunnelRead(DeviceMac(1)); },
                         [](const Handling &h) {
                             ASSERT_EQ(h.replies.size(), 1u);
                             const Datagram d = ClassifyDatagram(h.replies[0].datagram);
                             ASSERT_EQ(d.kind, DatagramKind::TunnelReply);
                             EXPECT_EQ(CheckTunnelFrame(d.payload).status, TunnelStatus::BadCrc);
                         }},
        MisbehaviourCase{"Unicast", [](FleetOptions &o) { o.unicast = *DeviceSet::parse("1"); },
                         Search,
                         [](const Handling &h) {
                             ASSERT_EQ(h.replies.size(), 2u);
                             EXPECT_EQ(h.replies[0].delivery, Delivery::Broadcast);
                             EXPECT_EQ(h.replies[1].delivery, Delivery::Unicast);
                         }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Fleet, DroppedWriteStillTakesEffect)
{
    FleetOptions options = Options(1);
    options.drop = DeviceSet::all();
    Fleet fleet(options);
    DeviceBlock block = FactoryDeviceBlock();
    block.stopBits = 2;
    EXPECT_TRUE(fleet.handle(TunnelWrite(DeviceMac(0), block), kNow).replies.empty());
    EXPECT_EQ(fleet.device(0).device, block);
}

} // namespace
} // namespace ktr
