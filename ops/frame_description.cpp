// Frame descriptions for traces.
#include "ops/frame_description.h"

#include "link/byte_order.h"
#include "ops/mac_text.h"
#include "ops/network_block.h"
#include "ops/search_reply.h"
#include "ops/text_convert.h"

namespace ktr {
namespace {

std::string CommandName(std::uint8_t command)
{
    switch (command) {
    case kCmdSearch:
        return "搜索";
    case kCmdReadNetwork:
        return "读取网络参数";
    case kCmdWriteNetwork:
        return "写入网络参数";
    case kCmdFactoryReset:
        return "恢复出厂设置";
    case kCmdTunnel:
    case kCmdTunnelReply:
        return "设备参数通道";
    case kCmdWriteMac:
        return "写入MAC";
    }
    return "未知命令";
}

std::string Hex2(std::uint8_t value)
{
    return {'0', 'x', HexDigitChar(static_cast<std::uint8_t>(value >> 4)), HexDigitChar(value)};
}

// The outer checksum is the datagram's last byte and covers the bytes from the command code
// up to it. (A tunnel reply's length field counts its tunnel frame only, so the length field
// cannot be used to find it.)
bool FrameSumMatches(ByteView datagram)
{
    return FrameSum(datagram.subspan(3, datagram.size() - 4)) == datagram.back();
}

std::string DeviceOf(ByteView datagram)
{
    const std::optional<MacAddress> mac = RequestMac(datagram);
    return mac ? " MAC " + FormatMacDashed(*mac) : std::string();
}

std::string DescribeNetworkBlock(ByteView bytes)
{
    const NetworkBlock block(bytes.first<kNetworkBlockSize>());
    return std::string(block.isStaticIp() ? " 静态IP " : " 自动获取IP ") +
           FormatDottedAddress(block.address(AddressField::StaticIp)) + " 掩码 " +
           FormatDottedAddress(block.address(AddressField::SubnetMask)) + " 网关 " +
           FormatDottedAddress(block.address(AddressField::Gateway));
}

// A tunnel frame in a request: the read request carries no body, so the acceptance test of
// received frames does not apply.
std::string DescribeTunnelRequest(ByteView frame)
{
    if (frame.size() < kTunnelReadFrameSize || frame[0] != kTunnelStart)
        return " 通道帧无效";
    const std::size_t crcAt = frame.size() - 2;
    const bool crcGood = Crc16(frame.first(crcAt)) == GetLe16(frame, crcAt);
    const std::string function = frame[1] == kTunnelReadBlock    ? " 读取设备参数"
                                 : frame[1] == kTunnelWriteBlock ? " 下载设备参数"
                                                                 : " 功能 " + Hex2(frame[1]);
    return function + (crcGood ? "" : " 通道帧CRC错误");
}

std::string DescribeTunnelFrame(ByteView frame)
{
    const TunnelCheck check = CheckTunnelFrame(frame);
    switch (check.status) {
    case TunnelStatus::Accepted:
        if (check.function == kTunnelReadBlock)
            return " 设备参数";
        if (check.function == kTunnelWriteBlock)
            return check.body.empty() ? " 下载设备参数确认" : " 下载设备参数";
        return " 功能 " + Hex2(check.function);
    case TunnelStatus::TooShort:
        return " 通道帧过短";
    case TunnelStatus::BadCrc:
        return " 通道帧CRC错误";
    case TunnelStatus::BadStart:
        return " 通道帧起始字节错误";
    case TunnelStatus::ShortBlock:
        return " 设备参数不完整";
    }
    return {};
}

std::string DescribeRequest(ByteView datagram)
{
    const std::uint8_t command = datagram[3];
    std::string text = CommandName(command) + "请求" + DeviceOf(datagram);
    if (command == kCmdWriteNetwork && datagram.size() >= kMinNetworkReply)
        text += DescribeNetworkBlock(datagram.subspan(kNetworkBlockOffset));
    if (command == kCmdWriteMac && datagram.size() >= kAddressedHeaderSize + kMacSize) {
        MacAddress newMac{};
        std::copy_n(datagram.begin() + kAddressedHeaderSize, kMacSize, newMac.begin());
        text += " 新MAC " + FormatMacDashed(newMac);
    }
    if (command == kCmdTunnel && datagram.size() > kTunnelOffset + 1)
        text += DescribeTunnelRequest(
            datagram.subspan(kTunnelOffset, datagram.size() - kTunnelOffset - 1));
    return text;
}

std::string DescribeReply(ByteView datagram)
{
    const Datagram d = ClassifyDatagram(datagram);
    const std::string name = CommandName(d.command) + "应答";
    switch (d.kind) {
    case DatagramKind::SearchReply: {
        const SearchReply reply = DecodeSearchReply(datagram);
        return name + " MAC " + FormatMacDashed(reply.mac) + " IP " +
               FormatDottedAddress(reply.ip) + " 固件 " + std::to_string(reply.firmware);
    }
    case DatagramKind::NetworkReply:
        return name + DeviceOf(datagram) + DescribeNetworkBlock(d.payload);
    case DatagramKind::TunnelReply:
        return name + DeviceOf(datagram) + DescribeTunnelFrame(d.payload);
    case DatagramKind::EmptyTunnel:
        return name + DeviceOf(datagram) + " 空通道帧";
    case DatagramKind::Truncated:
        return name + " 过短 (" + std::to_string(datagram.size()) + " 字节)";
    case DatagramKind::Undecoded:
        return name + DeviceOf(datagram);
    case DatagramKind::NotAReply:
        break;
    }
    return name;
}

} // namespace

std::string HexBytes(ByteView bytes)
{
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += HexDigitChar(static_cast<std::uint8_t>(b >> 4));
        text += HexDigitChar(b);
    }
    return text;
}

std::string DescribeFrame(ByteView datagram)
{
    if (datagram.size() < kMinCommandReply)
        return "过短的数据报 (" + std::to_string(datagram.size()) + " 字节)";
    std::string text;
    if (datagram[0] == kRequestStart)
        text = DescribeRequest(datagram);
    else if (datagram[0] == kReplyStart)
        text = DescribeReply(datagram);
    else
        return "不是本协议的帧 (起始字节 " + Hex2(datagram[0]) + ")";
    if (!FrameSumMatches(datagram))
        text += " (校验和错误)";
    return text;
}

} // namespace ktr
