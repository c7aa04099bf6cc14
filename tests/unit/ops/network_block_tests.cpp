// The network settings record: field offsets, address byte order and the target-address
// overlay that keeps the bytes after the terminator.
#include <gtest/gtest.h>

#include <numeric>

#include "ops/network_block.h"
#include "ops/text_convert.h"

namespace ktr {
namespace {

NetworkBlock Patterned()
{
    std::array<std::uint8_t, NetworkBlock::kSize> bytes{};
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
    return NetworkBlock(bytes);
}

TEST(NetworkBlockTest, AddressesTravelLastOctetFirst)
{
    NetworkBlock block;
    block.setAddress(AddressField::StaticIp, ParseDottedAddress("192.168.0.9"));
    block.setAddress(AddressField::Gateway, ParseDottedAddress("192.168.0.1"));
    block.setAddress(AddressField::SubnetMask, ParseDottedAddress("255.255.255.0"));
    const auto b = block.bytes();
    EXPECT_EQ((std::array{b[1], b[2], b[3], b[4]}),
              (std::array<std::uint8_t, 4>{9, 0, 0xA8, 0xC0}));
    EXPECT_EQ((std::array{b[5], b[6], b[7], b[8]}),
              (std::array<std::uint8_t, 4>{1, 0, 0xA8, 0xC0}));
    EXPECT_EQ((std::array{b[9], b[10], b[11], b[12]}),
              (std::array<std::uint8_t, 4>{0, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(FormatDottedAddress(block.address(AddressField::StaticIp)), "192.168.0.9");
}

TEST(NetworkBlockTest, IpModeReadsOnlyBit7AndWritesExactly0x80Or0x00)
{
    NetworkBlock block = Patterned(); // offset 0 holds 0x01
    EXPECT_FALSE(block.isStaticIp());
    block.bytes()[0] = 0x81;
    EXPECT_TRUE(block.isStaticIp());
    block.setStaticIp(false);
    EXPECT_EQ(block.bytes()[0], 0x00);
    block.setStaticIp(true);
    EXPECT_EQ(block.bytes()[0], 0x80);
}

TEST(NetworkBlockTest, FieldsSitAtTheirOffsetsAndLeaveTheRestAlone)
{
    const NetworkBlock original = Patterned();
    NetworkBlock block = original;
    block.setMaxConnections(9);
    block.server(7).setTargetPort(0x1170);
    block.server(0).setLocalPort(2000);
    const auto b = block.bytes();
    EXPECT_EQ(b[19], 9);
    EXPECT_EQ(b[20], 0xD0); // 2000 = 0x07D0, little-endian
    EXPECT_EQ(b[21], 0x07);
    const std::size_t server8 = 20 + 34 * 7;
    EXPECT_EQ(b[server8 + 2], 0x70);
    EXPECT_EQ(b[server8 + 3], 0x11);
    // Opaque bytes 13-18 untouched by every setter.
    EXPECT_TRUE(
        std::equal(block.opaque().begin(), block.opaque().end(), original.bytes().begin() + 13));
    int changed = 0;
    for (std::size_t i = 0; i < NetworkBlock::kSize; ++i)
        changed += b[i] != original.bytes()[i];
    EXPECT_EQ(changed, 5);
}

TEST(ServerSlotTest, OverlayKeepsTheBytesAfterTheTerminator)
{
    NetworkBlock block;
    ASSERT_TRUE(block.server(0).overlayTargetAddress("192.168.0.166"));
    ASSERT_TRUE(block.server(0).overlayTargetAddress("10.0.0.1"));
    const auto b = block.bytes();
    const std::string field(b.begin() + 24, b.begin() + 24 + 14);
    EXPECT_EQ(field, std::string("10.0.0.1\0.166\0", 14));
    EXPECT_EQ(block.server(0).targetAddress(), "10.0.0.1");
}

TEST(ServerSlotTest, LongestTextFitsAndOneMoreByteIsRefusedWithoutATrace)
{
    NetworkBlock block = Patterned();
    const NetworkBlock before = block;
    EXPECT_FALSE(block.server(2).overlayTargetAddress(std::string(30, 'x')));
    EXPECT_EQ(block, before);
    ASSERT_TRUE(block.server(2).overlayTargetAddress(std::string(29, 'x')));
    EXPECT_EQ(block.server(2).targetAddress(), std::string(29, 'x'));
    // The next entry starts right after the zero byte and is untouched.
    const std::size_t next = 20 + 34 * 3;
    EXPECT_EQ(block.bytes()[next - 1], 0);
    EXPECT_EQ(block.bytes()[next], before.bytes()[next]);
}

TEST(ServerSlotTest, ReadingAFieldWithoutTerminatorStopsAt30Bytes)
{
    NetworkBlock block;
    for (std::size_t i = 0; i < NetworkBlock::kSize; ++i)
        block.bytes()[i] = 'a';
    EXPECT_EQ(block.server(7).targetAddress(), std::string(30, 'a'));
    const NetworkBlock &constBlock = block;
    EXPECT_EQ(constBlock.server(7).targetAddress(), std::string(30, 'a'));
}

} // namespace
} // namespace ktr
