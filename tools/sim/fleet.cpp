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

std::string DeviceLabel(std::size_t index, const MacAddress &mac)
{
    return "dev " + std::to_string(index) + " " + FormatMacDashed(mac);
}

std::string DeviceLabel(const SimDevice &device)
{
    return DeviceLabel(device.index, device.mac);
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
        out.echo = !request.empty() && request[0] == kReplyStart;
        if (!out.echo)
            out.lines.push_back("ignored " + std::to_string(request.size()) +
                                " bytes: " + r.reason);
        return out;
    }
    if (r.command == kCmdSearch) {
        // Many devices answer at once: their lines are left as notes, written after the replies.
        std::size_t batch = kFirstBatch;
        for (const SimDevice &device : devices_) {
            SearchNote note{static_cast<std::uint32_t>(device.index), device.mac};
            if (!device.isRestarting(now)) {
                const SearchReply reply{device.announcedIp(), replyMac(device), device.firmware,
                                        kDeviceName};
                note.replySize = static_cast<std::uint16_t>(
                    deliver(device.index, EncodeSearchReply(reply), now, out));
                note.answered = true;
            }
            out.searched.push_back(note);
            if (early && out.replies.size() >= batch) {
                early(out);
                batch = kEarlyBatch;
            }
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

void Fleet::describeSearch(std::span<const SearchNote> notes, std::string &text) const
{
    for (const SearchNote &note : notes) {
        const std::string label = DeviceLabel(note.index, note.mac);
        if (note.answered)
            text += replyLine(label, "search", note.replySize, false, treatment(note.index));
        else
            text += label + " search ignored: restarting";
        text += '\n';
    }
}

Fleet::Treatment Fleet::treatment(std::size_t index) const
{
    Treatment t;
    t.cut = options_.shortReply.contains(index);
    t.dropped = options_.drop.contains(index);
    t.unicast = options_.unicast.contains(index);
    t.delayed = options_.delay.contains(index);
    t.wrongMac = options_.wrongMac.contains(index);
    t.badCrc = options_.badCrc.contains(index);
    t.copies = options_.duplicate.contains(index) ? 2 : 1;
    return t;
}

std::string Fleet::replyLine(std::string_view label, std::string_view what, std::size_t size,
                             bool tunnel, const Treatment &treated) const
{
    std::string line;
    line.append(label).append(" ").append(what).append(" -> ");
    if (treated.cut)
        line += "short ";
    line += "reply " + std::to_string(size) + " bytes";
    if (treated.dropped)
        return line + " dropped";
    line += treated.unicast ? " unicast" : " broadcast";
    if (treated.delayed)
        line += " after " + std::to_string(options_.delayBy.count()) + " ms";
    if (treated.wrongMac)
        line += " with wrong MAC";
    if (treated.badCrc && tunnel)
        line += " with bad CRC";
    if (treated.copies == 2)
        line += " twice";
    return line;
}

void Fleet::answer(const SimDevice &device, std::string_view what, Bytes reply,
                   SimClock::time_point now, Handling &out) const
{
    const bool tunnel = reply.size() > 3 && reply[3] == kCmdTunnel;
    const std::size_t size = deliver(device.index, std::move(reply), now, out);
    out.lines.push_back(
        replyLine(DeviceLabel(device), what, size, tunnel, treatment(device.index)));
}

std::size_t Fleet::deliver(std::size_t index, Bytes reply, SimClock::time_point now,
                           Handling &out) const
{
    const Treatment treated = treatment(index);
    if (treated.cut)
        reply.resize(reply.size() / 3);
    const std::size_t size = reply.size();
    if (treated.dropped)
        return size;
    const Delivery delivery = treated.unicast ? Delivery::Unicast : Delivery::Broadcast;
    const SimClock::time_point sendAt = treated.delayed ? now + options_.delayBy : now;
    for (int i = 1; i < treated.copies; ++i)
        out.replies.push_back(Outgoing{reply, delivery, sendAt});
    out.replies.push_back(Outgoing{std::move(reply), delivery, sendAt});
    return size;
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
