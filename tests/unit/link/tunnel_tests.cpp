// Acceptance of received tunnel frames.
#include <gtest/gtest.h>

#include "link/frame.h"
#include "tests/support/hex.h"

namespace ktr {
namespace {

using test::Hex;

Bytes WithCrc(Bytes frame)
{
    const std::uint16_t crc = Crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

Bytes DeviceFrame()
{
    Bytes frame{0x7E, 0x10};
    for (std::size_t i = 0; i < kDeviceBodySize; ++i)
        frame.push_back(static_cast<std::uint8_t>(i + 1));
    return WithCrc(frame);
}

TEST(CheckTunnelFrameTest, AcceptsAWriteAcknowledgement)
{
    const Bytes ack = WithCrc({0x7E, 0x11});
    const TunnelCheck c = CheckTunnelFrame(ack);
    EXPECT_EQ(c.status, TunnelStatus::Accepted);
    EXPECT_EQ(c.function, 0x11);
}

TEST(CheckTunnelFrameTest, AcceptsADeviceBlockAndPointsAtItsBody)
{
    const Bytes frame = DeviceFrame();
    const TunnelCheck c = CheckTunnelFrame(frame);
    ASSERT_EQ(c.status, TunnelStatus::Accepted);
    EXPECT_EQ(c.function, 0x10);
    ASSERT_EQ(c.body.size(), kDeviceBodySize);
    EXPECT_EQ(c.body.front(), 1);
    EXPECT_EQ(c.body.back(), kDeviceBodySize);
}

TEST(CheckTunnelFrameTest, RejectsSwappedCrcBytes)
{
    Bytes frame = DeviceFrame();
    std::swap(frame[94], frame[95]);
    const TunnelCheck c = CheckTunnelFrame(frame);
    EXPECT_EQ(c.status, TunnelStatus::BadCrc);
    EXPECT_EQ(c.function, 0);
}

TEST(CheckTunnelFrameTest, RejectsLengthsOfTwoOrLess)
{
    const Bytes frame = WithCrc({0x7E, 0x11});
    EXPECT_EQ(CheckTunnelFrame(ByteView(frame).first(2)).status, TunnelStatus::TooShort);
    EXPECT_EQ(CheckTunnelFrame(ByteView(frame).first(1)).status, TunnelStatus::TooShort);
    EXPECT_EQ(CheckTunnelFrame({}).status, TunnelStatus::TooShort);
}

TEST(CheckTunnelFrameTest, RejectsWrongStartByteEvenWithGoodCrc)
{
    const TunnelCheck c = CheckTunnelFrame(WithCrc({0x7F, 0x11}));
    EXPECT_EQ(c.status, TunnelStatus::BadStart);
    EXPECT_EQ(c.function, 0);
}

TEST(CheckTunnelFrameTest, RejectsACrcValidDeviceBlockShorterThan96Bytes)
{
    Bytes shortFrame{0x7E, 0x10, 0x01, 0x02, 0x03};
    const TunnelCheck c = CheckTunnelFrame(WithCrc(shortFrame));
    EXPECT_EQ(c.status, TunnelStatus::ShortBlock);
    EXPECT_EQ(c.function, 0);
    // The bare read request, were it ever echoed back, is such a frame too.
    EXPECT_EQ(CheckTunnelFrame(Hex("7E 10 21 DC")).status, TunnelStatus::ShortBlock);
}

TEST(CheckTunnelFrameTest, OtherFunctionsAreReturnedUnchanged)
{
    const TunnelCheck c = CheckTunnelFrame(WithCrc({0x7E, 0x33, 0x01}));
    EXPECT_EQ(c.status, TunnelStatus::Accepted);
    EXPECT_EQ(c.function, 0x33);
    EXPECT_EQ(c.body.size(), 1u);
}

// Three bytes pass when the CRC of the lone start byte happens to follow it: the function byte
// is then the CRC's low byte, and no byte lies between function and CRC.
TEST(CheckTunnelFrameTest, ThreeByteFrameHasNoBody)
{
    const Bytes frame = WithCrc({0x7E});
    ASSERT_EQ(frame.size(), 3u);
    const TunnelCheck c = CheckTunnelFrame(frame);
    EXPECT_EQ(c.status, TunnelStatus::Accepted);
    EXPECT_EQ(c.function, frame[1]);
    EXPECT_TRUE(c.body.empty()) << c.body.size() << " body bytes";
}

TEST(CheckTunnelFrameTest, BuiltFramesPassTheirOwnCheck)
{
    std::array<std::uint8_t, kDeviceBodySize> body{};
    body[0] = 8;
    const Bytes write = BuildTunnelFrame(kTunnelWriteBlock, body);
    EXPECT_EQ(CheckTunnelFrame(write).function, kTunnelWriteBlock);
    Bytes corrupted = write;
    corrupted[50] ^= 0x01;
    EXPECT_EQ(CheckTunnelFrame(corrupted).status, TunnelStatus::BadCrc);
}

} // namespace
} // namespace ktr
