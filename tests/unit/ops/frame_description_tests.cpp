// One-line descriptions of datagrams for the trace: every kind of frame, and frames the tool
// would not accept, described without reading past their end.
#include <gtest/gtest.h>

#include "ops/device_block.h"
#include "ops/frame_description.h"
#include "ops/network_block.h"
#include "ops/search_reply.h"
#include "ops/text_convert.h"
#include "tests/support/hex.h"

namespace ktr {
namespace {

using test::Hex;

const MacAddress kMac{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56};

struct Described
{
    const char *name;
    Bytes datagram;
    std::string text;
};

std::vector<Described> Cases()
{
    NetworkBlock block;
    block.setStaticIp(true);
    block.setAddress(AddressField::StaticIp, ParseDottedAddress("192.168.0.20"));
    block.setAddress(AddressField::SubnetMask, ParseDottedAddress("255.255.255.0"));
    block.setAddress(AddressField::Gateway, ParseDottedAddress("192.168.0.1"));
    Bytes networkPayload(kMac.begin(), kMac.end());
    networkPayload.insert(networkPayload.end(), block.bytes().begin(), block.bytes().end());
    const DeviceBody body = EncodeDeviceBody(DefaultPageDeviceBlock());
    Bytes badCrc = SealTunnelFrame(kTunnelReadBlock, body);
    badCrc.back() ^= 0xFF;
    Bytes wrongSum = EncodeReadNetworkRequest(kMac);
    wrongSum.back() ^= 0x01;
    const MacAddress newMac{0x02, 0, 0, 0, 0, 0x09};
    return {
        {"search request", EncodeSearchRequest(), "搜索请求"},
        {"search reply",
         Hex("55 00 14 02 00 00 00 00 A6 00 A8 C0 00 0E EB 12 34 56 20 01 00 00 41 42 00 AB"),
         "搜索应答 MAC 00-0E-EB-12-34-56 IP 192.168.0.166 固件 288 (校验和错误)"},
        {"read network request", EncodeReadNetworkRequest(kMac),
         "读取网络参数请求 MAC 00-0E-EB-12-34-56"},
        {"wrong checksum", wrongSum, "读取网络参数请求 MAC 00-0E-EB-12-34-56 (校验和错误)"},
        {"network reply", EncodeReply(kCmdReadNetwork, networkPayload),
         "读取网络参数应答 MAC 00-0E-EB-12-34-56 静态IP 192.168.0.20 掩码 255.255.255.0 网关 "
         "192.168.0.1"},
        {"network write", EncodeWriteNetworkRequest(kMac, block.bytes()),
         "写入网络参数请求 MAC 00-0E-EB-12-34-56 静态IP 192.168.0.20 掩码 255.255.255.0 网关 "
         "192.168.0.1"},
        {"factory reset", EncodeFactoryResetRequest(kMac),
         "恢复出厂设置请求 MAC 00-0E-EB-12-34-56"},
        {"mac write", EncodeWriteMacRequest(kMac, newMac),
         "写入MAC请求 MAC 00-0E-EB-12-34-56 新MAC 02-00-00-00-00-09"},
        {"tunnel read", EncodeTunnelRequest(kMac, BuildTunnelFrame(kTunnelReadBlock)),
         "设备参数通道请求 MAC 00-0E-EB-12-34-56 读取设备参数"},
        {"tunnel write", EncodeTunnelRequest(kMac, BuildTunnelFrame(kTunnelWriteBlock, body)),
         "设备参数通道请求 MAC 00-0E-EB-12-34-56 下载设备参数"},
        {"device block reply",
         EncodeTunnelReply(kCmdTunnel, kMac, SealTunnelFrame(kTunnelReadBlock, body)),
         "设备参数通道应答 MAC 00-0E-EB-12-34-56 设备参数"},
        {"write acknowledged",
         EncodeTunnelReply(kCmdTunnelReply, kMac, SealTunnelFrame(kTunnelWriteBlock, {})),
         "设备参数通道应答 MAC 00-0E-EB-12-34-56 下载设备参数确认"},
        {"bad crc", EncodeTunnelReply(kCmdTunnel, kMac, badCrc),
         "设备参数通道应答 MAC 00-0E-EB-12-34-56 通道帧CRC错误"},
        {"empty tunnel", EncodeTunnelReply(kCmdTunnel, kMac, {}),
         "设备参数通道应答 MAC 00-0E-EB-12-34-56 空通道帧"},
        {"short network reply", Hex("55 00 07 03 00 0E EB 12 34 56 98"),
         "读取网络参数应答 过短 (11 字节)"},
        {"undecoded reply", EncodeReply(kCmdWriteNetwork, kMac),
         "写入网络参数应答 MAC 00-0E-EB-12-34-56"},
        {"unknown command", EncodeReply(0x42, {}), "未知命令应答"},
        {"too short", Hex("55 00"), "过短的数据报 (2 字节)"},
        {"foreign", Hex("13 00 01 02 02"), "不是本协议的帧 (起始字节 0x13)"},
    };
}

TEST(FrameDescriptionTest, EveryKindOfFrame)
{
    for (const Described &c : Cases())
        EXPECT_EQ(DescribeFrame(c.datagram), c.text) << c.name;
}

TEST(FrameDescriptionTest, HexBytesAreUpperCasePairs)
{
    EXPECT_EQ(HexBytes(EncodeSearchRequest()), "AA 00 01 02 02");
    EXPECT_EQ(HexBytes(Hex("0f a0")), "0F A0");
    EXPECT_EQ(HexBytes({}), "");
}

TEST(FrameDescriptionTest, EveryCutOfEveryFrameIsDescribedWithinItsBytes)
{
    // Under AddressSanitizer a read past the end of the copy fails here.
    for (const Described &c : Cases()) {
        for (std::size_t n = 0; n <= c.datagram.size(); ++n) {
            const Bytes cut(c.datagram.begin(), c.datagram.begin() + static_cast<long>(n));
            EXPECT_FALSE(DescribeFrame(cut).empty()) << c.name << " cut to " << n;
        }
    }
}

} // namespace
} // namespace ktr
