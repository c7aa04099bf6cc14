// Request frames byte for byte against the protocol's example frames, checksums, and the
// sorting of received datagrams.
#include <gtest/gtest.h>

#include <string>

#include "link/frame.h"
#include "tests/support/hex.h"

namespace ktr {
namespace {

using test::Hex;
using test::ToHex;

constexpr MacAddress kDevice123456{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56};
constexpr MacAddress kDevice01{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x01};
constexpr MacAddress kZeroMac{};

TEST(ChecksumTest, Crc16CheckValueAndTunnelReadCrc)
{
    const std::string check = "123456789";
    EXPECT_EQ(Crc16(ByteView(reinterpret_cast<const std::uint8_t *>(check.data()), check.size())),
              0x4B37);
    EXPECT_EQ(Crc16(Hex("7E 10")), 0xDC21);
    EXPECT_EQ(Crc16({}), 0xFFFF);
}

TEST(ChecksumTest, Crc16MatchesBitwiseDefinitionOnEveryByte)
{
    for (int b = 0; b < 256; ++b) {
        std::uint16_t crc = 0xFFFF;
        crc ^= static_cast<std::uint16_t>(b);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
        const std::uint8_t byte = static_cast<std::uint8_t>(b);
        EXPECT_EQ(Crc16(ByteView(&byte, 1)), crc) << "byte " << b;
    }
}

TEST(ChecksumTest, FrameSumWrapsModulo256)
{
    EXPECT_EQ(FrameSum(Hex("02")), 0x02);
    EXPECT_EQ(FrameSum(Hex("FF 01")), 0x00);
    EXPECT_EQ(FrameSum(Hex("FF FF FF")), 0xFD);
}

struct ExampleFrame
{
    const char *name;
    Bytes (*build)();
    const char *expected;
};

// The published example requests, as they must appear on the wire.
const ExampleFrame kExamples[] = {
    {"search", [] { return EncodeSearchRequest(); }, "AA 00 01 02 02"},
    {"read_network", [] { return EncodeReadNetworkRequest(kDevice123456); },
     "AA 00 07 03 00 0E EB 12 34 56 98"},
    {"factory_reset", [] { return EncodeFactoryResetRequest(kDevice123456); },
     "AA 00 07 06 00 0E EB 12 34 56 9B"},
    {"write_mac",
     [] {
         return EncodeWriteMacRequest(kDevice123456, {0x00, 0x0E, 0xEB, 0x12, 0x34, 0x57});
     },
     "AA 00 0D 0F 00 0E EB 12 34 56 00 0E EB 12 34 57 3A"},
    {"device_block_read",
     [] { return EncodeTunnelRequest(kDevice01, BuildTunnelFrame(kTunnelReadBlock)); },
     "AA 00 0B 0A 00 0E EB 00 00 01 7E 10 21 DC 8F"},
    {"device_block_read_zero_mac",
     [] { return EncodeTunnelRequest(kZeroMac, BuildTunnelFrame(kTunnelReadBlock)); },
     "AA 00 0B 0A 00 00 00 00 00 00 7E 10 21 DC 95"},
};

class ExampleFrameTest : public ::testing::TestWithParam<ExampleFrame>
{
};

TEST_P(ExampleFrameTest, EncodesByteForByte)
{
    EXPECT_EQ(ToHex(GetParam().build()), ToHex(Hex(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(Requests, ExampleFrameTest, ::testing::ValuesIn(kExamples),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(RequestTest, WriteNetworkIs303BytesWithLength012B)
{
    std::array<std::uint8_t, kNetworkBlockSize> block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 7);
    const Bytes frame = EncodeWriteNetworkRequest(kDevice123456, block);
    ASSERT_EQ(frame.size(), 303u);
    EXPECT_EQ(frame[1], 0x01);
    EXPECT_EQ(frame[2], 0x2B);
    EXPECT_EQ(frame[3], kCmdWriteNetwork);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), frame.begin() + 10));
    EXPECT_EQ(frame[302], FrameSum(ByteView(frame).subspan(3, 299)));
}

TEST(RequestTest, TunnelWriteRequestIs107BytesWithLength0x67)
{
    std::array<std::uint8_t, kDeviceBodySize> body{};
    const Bytes tunnel = BuildTunnelFrame(kTunnelWriteBlock, body);
    ASSERT_EQ(tunnel.size(), kDeviceFrameSize);
    const Bytes frame = EncodeTunnelRequest(kZeroMac, tunnel);
    EXPECT_EQ(frame.size(), 107u);
    EXPECT_EQ(frame[1], 0x00);
    EXPECT_EQ(frame[2], 0x67);
}

TEST(RequestTest, BuildTunnelFrameRefusesUnknownFunctionsAndWrongBodies)
{
    EXPECT_TRUE(BuildTunnelFrame(0x12).empty());
    EXPECT_TRUE(BuildTunnelFrame(0x00).empty());
    EXPECT_TRUE(BuildTunnelFrame(kTunnelWriteBlock, Hex("01 02")).empty());
}

TEST(ReplyTest, TunnelReplyLengthFieldCountsTheTunnelFrameOnly)
{
    const Bytes tunnel = BuildTunnelFrame(kTunnelReadBlock);
    const Bytes reply = EncodeTunnelReply(kCmdTunnel, kDevice01, tunnel);
    EXPECT_EQ(ToHex(reply), ToHex(Hex("55 00 04 0A 00 0E EB 00 00 01 7E 10 21 DC 8F")));
}

// --- Classification ----------------------------------------------------------------------

Bytes Filled(std::size_t size, std::uint8_t start, std::uint8_t command)
{
    Bytes d(size, 0);
    if (size > 0)
        d[0] = start;
    if (size > 3)
        d[3] = command;
    return d;
}

struct ClassifyCase
{
    const char *name;
    Bytes datagram;
    DatagramKind kind;
    std::size_t payloadSize;
};

Bytes TunnelReplyWithLength(std::size_t length, std::size_t actualFrameBytes)
{
    Bytes d = Filled(kTunnelOffset + actualFrameBytes, kReplyStart, kCmdTunnel);
    d[1] = static_cast<std::uint8_t>(length >> 8);
    d[2] = static_cast<std::uint8_t>(length & 0xFF);
    return d;
}

class ClassifyTest : public ::testing::TestWithParam<ClassifyCase>
{
};

TEST_P(ClassifyTest, SortsByStartByteCommandAndLength)
{
    const Datagram d = ClassifyDatagram(GetParam().datagram);
    EXPECT_EQ(d.kind, GetParam().kind);
    EXPECT_EQ(d.payload.size(), GetParam().payloadSize);
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, ClassifyTest,
    ::testing::Values(
        ClassifyCase{"empty", {}, DatagramKind::NotAReply, 0},
        ClassifyCase{"own_request_looped_back", EncodeSearchRequest(), DatagramKind::NotAReply, 0},
        ClassifyCase{"three_bytes", Hex("55 00 01"), DatagramKind::Truncated, 0},
        ClassifyCase{"search_19", Filled(19, 0x55, kCmdSearch), DatagramKind::Truncated, 0},
        ClassifyCase{"search_20", Filled(20, 0x55, kCmdSearch), DatagramKind::SearchReply, 20},
        ClassifyCase{"network_301", Filled(301, 0x55, kCmdReadNetwork), DatagramKind::Truncated, 0},
        ClassifyCase{"network_302", Filled(302, 0x55, kCmdReadNetwork), DatagramKind::NetworkReply,
                     292},
        ClassifyCase{"network_long", Filled(400, 0x55, kCmdReadNetwork), DatagramKind::NetworkReply,
                     292},
        ClassifyCase{"tunnel_zero_length", TunnelReplyWithLength(0, 96), DatagramKind::EmptyTunnel,
                     0},
        ClassifyCase{"tunnel_exact", TunnelReplyWithLength(96, 96), DatagramKind::TunnelReply, 96},
        ClassifyCase{"tunnel_past_end", TunnelReplyWithLength(97, 96), DatagramKind::Truncated, 0},
        ClassifyCase{"tunnel_header_only", Filled(5, 0x55, kCmdTunnel), DatagramKind::EmptyTunnel,
                     0},
        ClassifyCase{"tunnel_huge_length", TunnelReplyWithLength(0xFFFF, 4),
                     DatagramKind::Truncated, 0},
        ClassifyCase{"write_ack", Filled(11, 0x55, kCmdWriteNetwork), DatagramKind::Undecoded, 0},
        ClassifyCase{"reset_ack", Filled(11, 0x55, kCmdFactoryReset), DatagramKind::Undecoded, 0},
        ClassifyCase{"mac_ack", Filled(11, 0x55, kCmdWriteMac), DatagramKind::Undecoded, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ClassifyTest, TunnelReplyAlternateCommandIsATunnelReply)
{
    Bytes d = TunnelReplyWithLength(4, 4);
    d[3] = kCmdTunnelReply;
    const Datagram c = ClassifyDatagram(d);
    EXPECT_EQ(c.kind, DatagramKind::TunnelReply);
    EXPECT_EQ(c.command, kCmdTunnelReply);
}

TEST(ClassifyTest, TunnelPayloadIsExactlyTheDeclaredLength)
{
    Bytes d = TunnelReplyWithLength(4, 10);
    d[kTunnelOffset] = 0x7E;
    const Datagram c = ClassifyDatagram(d);
    ASSERT_EQ(c.kind, DatagramKind::TunnelReply);
    EXPECT_EQ(c.payload.data(), d.data() + kTunnelOffset);
    EXPECT_EQ(c.payload.size(), 4u);
}

// The classification is the only look at a reply's bytes: it names the device that sent an
// addressed reply and carries the tunnel frame's verdict, CRC included.
TEST(ClassifyTest, AddressedRepliesCarryTheirDeviceAndTunnelRepliesTheirFramesCheck)
{
    const MacAddress device{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56};
    const Bytes ack =
        EncodeTunnelReply(kCmdTunnelReply, device, SealTunnelFrame(kTunnelWriteBlock, {}));
    const Datagram a = ClassifyDatagram(ack);
    ASSERT_EQ(a.kind, DatagramKind::TunnelReply);
    EXPECT_EQ(a.device, device);
    EXPECT_EQ(a.tunnel.status, TunnelStatus::Accepted);
    EXPECT_EQ(a.tunnel.function, kTunnelWriteBlock);

    Bytes corrupted = ack;
    corrupted[kTunnelOffset + 1] ^= 0x01;
    const Datagram c = ClassifyDatagram(corrupted);
    ASSERT_EQ(c.kind, DatagramKind::TunnelReply);
    EXPECT_EQ(c.tunnel.status, TunnelStatus::BadCrc);
    EXPECT_EQ(c.tunnel.function, 0);

    Bytes payload(device.begin(), device.end());
    payload.resize(kAddressedHeaderSize - kHeaderSize + kNetworkBlockSize, 0);
    const Datagram n = ClassifyDatagram(EncodeReply(kCmdReadNetwork, payload));
    ASSERT_EQ(n.kind, DatagramKind::NetworkReply);
    EXPECT_EQ(n.device, device);

    // A search reply names its device elsewhere (bytes 12-17): no device here.
    Bytes search = Filled(kMinSearchReply, 0x55, kCmdSearch);
    const Datagram s = ClassifyDatagram(search);
    ASSERT_EQ(s.kind, DatagramKind::SearchReply);
    EXPECT_EQ(s.device, MacAddress{});
}

} // namespace
} // namespace ktr
