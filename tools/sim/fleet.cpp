// Request handling of the simulated devices.
#include "tools/sim/fleet.h"

#include <cstdio>

#include "link/byte_order.h"
#include "ops/mac_text.h"
#include "ops/search_reply.h"

namespace ktr {
namespace {

// Requests that change what the device holds: settings, factory reset, MAC, tunnel writes.
bool IsWrite(std::uint8_t command, ByteView data)
{
    if (command == kCmdTunnel)
        return data.size() > 1 && data[1] == kTunnelWriteBlock;
    return command == kCmdWriteNetwork || command == kCmdFactoryReset || command == kCmdWriteMac;
}

// A request whose envelope passed the device's checks: command and the payload after it.
struct Request
{
    bool valid = false;
    std::string reason; // why an invalid frame is ignored
    std::uint8_t command = 0;
    ByteView payload;
};

Request CheckRequest(ByteView frame)
{
    Request r;
    if (frame.empty() || frame[0] != kRequestStart) {
        r.reason = "not a request";
        return r;
    }
    if (frame.size() < kHeaderSize + 1) {
        r.reason = "too short";
        return r;
    }
    const std::size_t length = GetBe16(frame, 1);
    if (length == 0 || frame.size() < kHeaderSize + length) {
        r.reason = "length field beyond the datagram";
        return r;
    }
    if (FrameSum(frame.subspan(3, length)) != frame[3 + length]) {
        r.reason = "bad FrameSum";
        return r;
    }
    r.valid = true;
    r.command = frame[3];
    r.payload = frame.subspan(kHeaderSize, length - 1);
    return r;
}

std::string Hex2(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

std::string DeviceLabel(const SimDevice &device)
{
    return "dev " + std::to_string(device.index) + " " + FormatMacDashed(device.mac);
}

} // namespace

std::string CommandName(std::uint8_t command)
{
    switch (command) {
    case kCmdSearch:
        return "search";
    case kCmdReadNetwork:
        return "read-network";
    case kCmdWriteNetwork:
        return "write-network";
    case kCmdFactoryReset:
        return "factory-reset";
    case kCmdTunnel:
        return "tunnel";
    case kCmdWriteMac:
        return "write-mac";
    default:
        return "command " + Hex2(command);
    }
}

Fleet::Fleet(const FleetOptions &options)
    : options_(options)
{
    devices_.reserve(options.devices);
    for (std::size_t k = 0; k < options.devices; ++k) {
        devices_.emplace_back(k, static_cast<std::uint32_t>(options.firstIp + k),
                              OffsetMac(options.firstMac, k), options.firmware);
    }
}

Handling Fleet::handle(ByteView request, SimClock::time_point now, const EarlyOutput &early)
{
    Handling out;
    const Request r = CheckRequest(request);
    if (!r.valid) {
        // Replies of devices (ours included, looped back) are no news worth a line.
        if (request.empty() || request[0] != kReplyStart)
            out.lines.push_back("ignored " + std::to_string(request.size()) +
                                " bytes: " + r.reason);
        return out;
    }
    if (r.command == kCmdSearch) {
        for (const SimDevice &device : devices_) {
            if (device.isRestarting(now)) {
                out.lines.push_back(DeviceLabel(device) + " search ignored: restarting");
                continue;
            }
            const SearchReply reply{device.announcedIp(), replyMac(device), device.firmware,
                                    kDeviceName};
            answer(device, "search", EncodeSearchReply(reply), now, out);
            if (early && out.replies.size() >= kEarlyBatch)
                early(out);
        }
        return out;
    }
    const std::optional<MacAddress> mac = RequestMac(request);
    if (!mac || r.payload.size() < kMacSize) {
        out.lines.push_back("ignored " + CommandName(r.command) + ": no device address");
        return out;
    }
    const ByteView data = r.payload.subspan(kMacSize);
    bool matched = false;
    for (SimDevice &device : devices_) {
        if (device.mac != *mac)
            continue;
        matched = true;
        handleAddressed(device, r.command, data, now, out);
    }
    if (!matched)
        out.lines.push_back("ignored " + CommandName(r.command) + " for " + FormatMacDashed(*mac) +
                            ": no such device");
    return out;
}

void Fleet::handleAddressed(SimDevice &device, std::uint8_t command, ByteView data,
                            SimClock::time_point now, Handling &out)
{
    const std::string label = DeviceLabel(device) + " " + CommandName(command);
    if (device.isRestarting(now)) {
        out.lines.push_back(label + " ignored: restarting");
        return;
    }
    if (options_.ignoreWrites.contains(device.index) && IsWrite(command, data)) {
        out.lines.push_back(label + " ignored: writes ignored");
        return;
    }
    const MacAddress shown = replyMac(device);
    const Bytes ack = EncodeReply(command, shown);
    switch (command) {
    case kCmdReadNetwork:
        answer(device, CommandName(command),
               EncodeReply(command, AddressedPayload(shown, device.network.bytes())), now, out);
        return;
    case kCmdWriteNetwork:
        if (data.size() < kNetworkBlockSize)
            break;
        device.network = NetworkBlock(data.first<kNetworkBlockSize>());
        answer(device, CommandName(command), ack, now, out);
        out.lines.back() += restart(device, now);
        return;
    case kCmdFactoryReset:
        device.restoreFactorySettings();
        answer(device, CommandName(command), ack, now, out);
        out.lines.back() += restart(device, now);
        return;
    case kCmdWriteMac: {
        if (data.size() < kMacSize)
            break;
        MacAddress newMac{};
        std::copy_n(data.begin(), kMacSize, newMac.begin());
        answer(device, CommandName(command) + " to " + FormatMacDashed(newMac), ack, now, out);
        device.mac = newMac;
        out.lines.back() += restart(device, now);
        return;
    }
    case kCmdTunnel: {
        const TunnelCheck check = CheckTunnelFrame(data);
        // A read request is the bare four-byte frame, which the reply check calls ShortBlock.
        const bool crcGood =
            check.status == TunnelStatus::Accepted || check.status == TunnelStatus::ShortBlock;
        const std::uint8_t function = crcGood && data.size() > 1 ? data[1] : 0;
        if (function == kTunnelReadBlock) {
            const DeviceBody body = EncodeDeviceBody(device.device);
            answer(device, "tunnel read",
                   EncodeTunnelReply(kCmdTunnel, shown, tunnelFrame(device, function, body)), now,
                   out);
            return;
        }
        if (function == kTunnelWriteBlock && check.body.size() == kDeviceBodySize) {
            device.device = DecodeDeviceBody(check.body.first<kDeviceBodySize>());
            answer(device, "tunnel write",
                   EncodeTunnelReply(kCmdTunnel, shown, tunnelFrame(device, function, {})), now,
                   out);
            return;
        }
        out.lines.push_back(label + " ignored: tunnel frame rejected");
        return;
    }
    default:
        out.lines.push_back(label + " ignored: not a device command");
        return;
    }
    out.lines.push_back(label + " ignored: payload too short");
}

void Fleet::answer(const SimDevice &device, std::string what, Bytes reply, SimClock::time_point now,
                   Handling &out) const
{
    const std::size_t k = device.index;
    std::string line = DeviceLabel(device) + " " + what + " -> ";
    if (options_.shortReply.contains(k)) {
        reply.resize(reply.size() / 3);
        line += "short ";
    }
    line += "reply " + std::to_string(reply.size()) + " bytes";
    if (options_.drop.contains(k)) {
        out.lines.push_back(line + " dropped");
        return;
    }
    const Delivery delivery =
        options_.unicast.contains(k) ? Delivery::Unicast : Delivery::Broadcast;
    line += delivery == Delivery::Unicast ? " unicast" : " broadcast";
    SimClock::time_point sendAt = now;
    if (options_.delay.contains(k)) {
        sendAt += options_.delayBy;
        line += " after " + std::to_string(options_.delayBy.count()) + " ms";
    }
    if (options_.wrongMac.contains(k))
        line += " with wrong MAC";
    if (options_.badCrc.contains(k) && reply.size() > 3 && reply[3] == kCmdTunnel)
        line += " with bad CRC";
    const int copies = options_.duplicate.contains(k) ? 2 : 1;
    if (copies == 2)
        line += " twice";
    for (int i = 0; i < copies; ++i)
        out.replies.push_back(Outgoing{reply, delivery, sendAt});
    out.lines.push_back(line);
}

MacAddress Fleet::replyMac(const SimDevice &device) const
{
    MacAddress mac = device.mac;
    if (options_.wrongMac.contains(device.index))
        mac[kMacSize - 1] ^= 0xFF;
    return mac;
}

Bytes Fleet::tunnelFrame(const SimDevice &device, std::uint8_t function, ByteView body) const
{
    Bytes frame = SealTunnelFrame(function, body);
    if (options_.badCrc.contains(device.index))
        frame.back() ^= 0xFF;
    return frame;
}

std::string Fleet::restart(SimDevice &device, SimClock::time_point now) const
{
    device.silentUntil = now + options_.restart;
    return ", restarting for " + std::to_string(options_.restart.count()) + " ms";
}

} // namespace ktr
