// The device settings record: body layout, page conversions, clamps and display.
#include <gtest/gtest.h>

#include <string>

#include "link/frame.h"
#include "ops/device_block.h"
#include "tests/support/hex.h"

namespace ktr {
namespace {

using test::Hex;
using test::ToHex;

TEST(DeviceBodyTest, DefaultPageWriteFrameByteForByte)
{
    const DeviceBody body = EncodeDeviceBody(DefaultPageDeviceBlock());
    const Bytes tunnel = BuildTunnelFrame(kTunnelWriteBlock, body);
    std::string expected = "7E 11 08 78 56 34 12 03 00 3C 00 05 00 00 C0 12 00 00 08 00 01 01 01 "
                           "02 03 04 05 06 07 08";
    for (int n = 0; n < 8; ++n)
        expected += " E7 03 00 00 E7 03 00 00";
    expected += " F7 A4";
    EXPECT_EQ(ToHex(tunnel), ToHex(Hex(expected)));

    const Bytes request = EncodeTunnelRequest(MacAddress{}, tunnel);
    ASSERT_EQ(request.size(), 107u);
    EXPECT_EQ(request.back(), 0x34);
}

TEST(DeviceBodyTest, RoundTripKeepsEveryFieldIncludingSignedLimits)
{
    DeviceBlock block;
    block.serverCount = 3;
    block.terminalAddress = 0xDEADBEEF;
    block.loginInterval = 65535;
    block.heartbeatInterval = 1;
    block.reportInterval = 4464;
    block.workMode = 5;
    block.baudRate = -2;
    block.dataBits = 9;
    block.parity = 2;
    block.stopBits = 2;
    block.modbusCount = 8;
    for (int n = 0; n < kChannelCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        block.channelAddress[i] = static_cast<std::uint8_t>(200 + n);
        block.tempHigh[i] = static_cast<std::int16_t>(1200 - n);
        block.tempLow[i] = static_cast<std::int16_t>(-400 + n);
        block.humHigh[i] = static_cast<std::uint16_t>(999 - n);
        block.humLow[i] = static_cast<std::uint16_t>(n);
    }
    const DeviceBody body = EncodeDeviceBody(block);
    EXPECT_EQ(DecodeDeviceBody(body), block);
    // Channel 8's limits are the last eight bytes of the body.
    EXPECT_EQ(body[84], static_cast<std::uint8_t>((1200 - 7) & 0xFF));
    EXPECT_EQ(body[91], 0x00);
    EXPECT_EQ(body[90], 7);
}

TEST(TerminalAddressTest, PairsFirstMostSignificant)
{
    EXPECT_EQ(TerminalAddressFromText("12345678"), 0x12345678u);
    EXPECT_EQ(TerminalAddressFromText("abcdefAB"), 0xABCDEFABu);
    // 'G' counts 0xFF: the last pair is (7 * 16 + 255) mod 256 = 0x6F.
    EXPECT_EQ(TerminalAddressFromText("1234567G"), 0x1234566Fu);
    EXPECT_EQ(FormatTerminalAddress(0x1234566F), "1234566f");
    EXPECT_EQ(FormatTerminalAddress(0x0000000A), "0000000a");
}

struct LimitCase
{
    const char *text;
    int value;
};

class TemperatureTest : public ::testing::TestWithParam<LimitCase>
{
};

TEST_P(TemperatureTest, ClampsToMinus40To120)
{
    EXPECT_EQ(TemperatureFromText(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Table, TemperatureTest,
                         ::testing::Values(LimitCase{"130", 1200}, LimitCase{"-50", -400},
                                           LimitCase{"-0.5", -5}, LimitCase{"99.9", 999},
                                           LimitCase{"0.19", 1}, LimitCase{"-0.19", -1},
                                           LimitCase{"abc", 0}, LimitCase{"nan", 0},
                                           LimitCase{"inf", 0}, LimitCase{"1e300", 1200},
                                           LimitCase{"-1e300", -400}, LimitCase{"1e400", 1200},
                                           LimitCase{"-1e400", -400}, LimitCase{"120.09", 1200}));

class HumidityTest : public ::testing::TestWithParam<LimitCase>
{
};

TEST_P(HumidityTest, WrapsAbsoluteAndLimitsTo999)
{
    EXPECT_EQ(HumidityFromText(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Table, HumidityTest,
                         ::testing::Values(LimitCase{"-20.5", 205}, LimitCase{"150", 999},
                                           LimitCase{"99.9", 999}, LimitCase{"0", 0},
                                           LimitCase{"nan", 0}, LimitCase{"6553.7", 1},
                                           LimitCase{"3276.8", 999}, LimitCase{"6553.5", 1},
                                           LimitCase{"-6553.5", 1}, LimitCase{"1e300", 0},
                                           LimitCase{"1e400", 0}, LimitCase{"-1e400", 0},
                                           LimitCase{"-3276.8", 999}, LimitCase{"0.09", 0}));

TEST(LimitDisplayTest, OneDecimalPlaceWithTheSignInFront)
{
    EXPECT_EQ(FormatTemperature(1200), "120.0");
    EXPECT_EQ(FormatTemperature(-400), "-40.0");
    EXPECT_EQ(FormatTemperature(-5), "-0.5");
    EXPECT_EQ(FormatTemperature(0), "0.0");
    EXPECT_EQ(FormatTemperature(-32768), "-3276.8");
    EXPECT_EQ(FormatHumidity(205), "20.5");
    EXPECT_EQ(FormatHumidity(999), "99.9");
    EXPECT_EQ(FormatHumidity(65535), "6553.5");
}

TEST(ComboByteTest, NoSelectionCountsAs0xFFBeforeTheOffset)
{
    EXPECT_EQ(ComboByte(-1), 0xFF);
    EXPECT_EQ(ComboByte(-1, 5), 4);
    EXPECT_EQ(ComboByte(-1, 1), 0);
    EXPECT_EQ(ComboByte(3, 5), 8);
    EXPECT_EQ(ComboByte(0, 1), 1);
    EXPECT_EQ(ComboByte(8), 8);
}

} // namespace
} // namespace ktr
