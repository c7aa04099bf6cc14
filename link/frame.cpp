// Frame encoding, checksums and datagram classification.
#include "link/frame.h"

#include <algorithm>

#include "link/byte_order.h"

namespace ktr {
namespace {

// The two byte tables of the Modbus serial-line CRC: A gives the new low byte (before the XOR
// with the old high byte), B the new high byte. Built at compile time from the reflected
// polynomial so they cannot carry a typing error; the first entries are checked below.
struct CrcTables
{
    std::array<std::uint8_t, 256> a{};
    std::array<std::uint8_t, 256> b{};
};

constexpr CrcTables MakeCrcTables()
{
    CrcTables t;
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        t.a[i] = static_cast<std::uint8_t>(crc & 0xFFu);
        t.b[i] = static_cast<std::uint8_t>(crc >> 8);
    }
    return t;
}

constexpr CrcTables kCrc = MakeCrcTables();
static_assert(kCrc.a[0] == 0x00 && kCrc.a[1] == 0xC1 && kCrc.a[2] == 0x81 && kCrc.a[3] == 0x40 &&
              kCrc.a[4] == 0x01 && kCrc.a[5] == 0xC0 && kCrc.a[6] == 0x80 && kCrc.a[7] == 0x41);
static_assert(kCrc.b[0] == 0x00 && kCrc.b[1] == 0xC0 && kCrc.b[2] == 0xC1 && kCrc.b[3] == 0x01 &&
              kCrc.b[4] == 0xC3 && kCrc.b[5] == 0x03 && kCrc.b[6] == 0x02 && kCrc.b[7] == 0xC2);

// Start byte, length field, command and payload followed by FrameSum of command and payload.
Bytes EncodeFrame(std::uint8_t start, std::size_t lengthField, std::uint8_t command,
                  ByteView payload)
{
    Bytes out(kHeaderSize);
    out[0] = start;
    PutBe16(out, 1, static_cast<std::uint16_t>(lengthField));
    out[3] = command;
    out.insert(out.end(), payload.begin(), payload.end());
    out.push_back(FrameSum(ByteView(out).subspan(3)));
    return out;
}

} // namespace

Bytes AddressedPayload(const MacAddress &device, ByteView rest)
{
    Bytes payload(device.begin(), device.end());
    payload.insert(payload.end(), rest.begin(), rest.end());
    return payload;
}

std::uint8_t FrameSum(ByteView bytes)
{
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::uint16_t Crc16(ByteView bytes)
{
    std::uint8_t low = 0xFF;
    std::uint8_t high = 0xFF;
    for (std::uint8_t b : bytes) {
        const std::uint8_t index = b ^ low;
        low = kCrc.a[index] ^ high;
        high = kCrc.b[index];
    }
    return static_cast<std::uint16_t>(high << 8 | low);
}

Bytes EncodeRequest(std::uint8_t command, ByteView payload)
{
    return EncodeFrame(kRequestStart, payload.size() + 1, command, payload);
}

Bytes EncodeSearchRequest()
{
    return EncodeRequest(kCmdSearch, {});
}

Bytes EncodeReadNetworkRequest(const MacAddress &device)
{
    return EncodeRequest(kCmdReadNetwork, device);
}

Bytes EncodeWriteNetworkRequest(const MacAddress &device,
                                std::span<const std::uint8_t, kNetworkBlockSize> block)
{
    return EncodeRequest(kCmdWriteNetwork, AddressedPayload(device, block));
}

Bytes EncodeFactoryResetRequest(const MacAddress &device)
{
    return EncodeRequest(kCmdFactoryReset, device);
}

Bytes EncodeWriteMacRequest(const MacAddress &device, const MacAddress &newMac)
{
    return EncodeRequest(kCmdWriteMac, AddressedPayload(device, newMac));
}

Bytes EncodeTunnelRequest(const MacAddress &device, ByteView tunnelFrame)
{
    return EncodeRequest(kCmdTunnel, AddressedPayload(device, tunnelFrame));
}

Bytes BuildTunnelFrame(std::uint8_t function, ByteView body)
{
    if (function == kTunnelReadBlock)
        return SealTunnelFrame(function, {});
    if (function == kTunnelWriteBlock && body.size() == kDeviceBodySize)
        return SealTunnelFrame(function, body);
    return {};
}

Bytes SealTunnelFrame(std::uint8_t function, ByteView body)
{
    Bytes frame{kTunnelStart, function};
    frame.insert(frame.end(), body.begin(), body.end());
    const std::uint16_t crc = Crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

Bytes EncodeReply(std::uint8_t command, ByteView payload)
{
    return EncodeFrame(kReplyStart, payload.size() + 1, command, payload);
}

Bytes EncodeTunnelReply(std::uint8_t command, const MacAddress &device, ByteView tunnelFrame)
{
    return EncodeFrame(kReplyStart, tunnelFrame.size(), command,
                       AddressedPayload(device, tunnelFrame));
}

TunnelCheck CheckTunnelFrame(ByteView frame)
{
    TunnelCheck check;
    const std::size_t length = frame.size();
    if (length <= 2) {
        check.status = TunnelStatus::TooShort;
        return check;
    }
    const std::uint16_t carried =
        static_cast<std::uint16_t>(frame[length - 2] | frame[length - 1] << 8);
    if (Crc16(frame.first(length - 2)) != carried) {
        check.status = TunnelStatus::BadCrc;
        return check;
    }
    if (frame[0] != kTunnelStart) {
        check.status = TunnelStatus::BadStart;
        return check;
    }
    const std::uint8_t function = frame[1];
    if (function == kTunnelReadBlock && length < kDeviceFrameSize) {
        check.status = TunnelStatus::ShortBlock;
        return check;
    }
    check.status = TunnelStatus::Accepted;
    check.function = function;
    // In a three-byte frame the function byte is also the first CRC byte: there is no body.
    const std::size_t bodySize = length >= 4 ? length - 4 : 0;
    check.body = function == kTunnelReadBlock ? frame.subspan(2, kDeviceBodySize)
                                              : frame.subspan(2, bodySize);
    return check;
}

Datagram ClassifyDatagram(ByteView datagram)
{
    Datagram d;
    if (datagram.empty() || datagram[0] != kReplyStart) {
        d.kind = DatagramKind::NotAReply;
        return d;
    }
    if (datagram.size() < kMinCommandReply) {
        d.kind = DatagramKind::Truncated;
        return d;
    }
    d.command = datagram[3];
    switch (d.command) {
    case kCmdSearch:
        if (datagram.size() < kMinSearchReply) {
            d.kind = DatagramKind::Truncated;
        } else {
            d.kind = DatagramKind::SearchReply;
            d.payload = datagram;
        }
        break;
    case kCmdReadNetwork:
        if (datagram.size() < kMinNetworkReply) {
            d.kind = DatagramKind::Truncated;
        } else {
            d.kind = DatagramKind::NetworkReply;
            d.payload = datagram.subspan(kNetworkBlockOffset, kNetworkBlockSize);
        }
        break;
    case kCmdTunnel:
    case kCmdTunnelReply: {
        const std::size_t length = GetBe16(datagram, 1);
        if (length == 0) {
            d.kind = DatagramKind::EmptyTunnel;
        } else if (datagram.size() < kTunnelOffset || datagram.size() - kTunnelOffset < length) {
            d.kind = DatagramKind::Truncated;
        } else {
            d.kind = DatagramKind::TunnelReply;
            d.payload = datagram.subspan(kTunnelOffset, length);
            d.tunnel = CheckTunnelFrame(d.payload);
        }
        break;
    }
    default:
        d.kind = DatagramKind::Undecoded;
        break;
    }
    // Both addressed kinds are at least ten bytes long, so the MAC is there.
    if (d.kind == DatagramKind::NetworkReply || d.kind == DatagramKind::TunnelReply)
        std::copy_n(datagram.begin() + kHeaderSize, kMacSize, d.device.begin());
    return d;
}

std::optional<MacAddress> RequestMac(ByteView request)
{
    if (request.size() < kAddressedHeaderSize)
        return std::nullopt;
    MacAddress mac{};
    std::copy_n(request.begin() + kHeaderSize, kMacSize, mac.begin());
    return mac;
}

} // namespace ktr
