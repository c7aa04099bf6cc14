// The pages' forms from the device records and at start-up.
#include "ops/page_forms.h"

#include <cstdio>
#include <string>

#include "ops/ansi_text.h"
#include "ops/text_convert.h"

namespace ktr {
namespace {

constexpr int kFirstServerPort = 2000; // entry n gets 1999 + n, local and target alike
constexpr const char *kDefaultTargetAddress = "192.168.0.166";
constexpr const char *kDefaultMac = "00-0E-EB-00-00-00";
constexpr int kAllConnections = 8;
constexpr int kStaticIpItem = 0;
constexpr const char *kDefaultUpperLimit = "99.9";
constexpr const char *kDefaultLowerLimit = "0";

// The index of a record value among a combo's items, or no selection.
int ItemIndex(int value, int offset, std::size_t itemCount)
{
    const int index = value - offset;
    return index >= 0 && static_cast<std::size_t>(index) < itemCount ? index : kNoSelection;
}

// The terminal address as its four bytes in upper-case hex, most significant first.
std::string FormatTerminalBytes(std::uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", unsigned(value >> 24 & 0xFF),
                  unsigned(value >> 16 & 0xFF), unsigned(value >> 8 & 0xFF),
                  unsigned(value & 0xFF));
    return text;
}

} // namespace

void FillNetworkForm(const NetworkBlock &record, NetworkForm &form)
{
    form.ipMode = record.isStaticIp() ? kStaticIpItem : kIpModeDhcp;
    form.staticIp = FormatDottedAddress(record.address(AddressField::StaticIp));
    form.subnetMask = FormatDottedAddress(record.address(AddressField::SubnetMask));
    form.gateway = FormatDottedAddress(record.address(AddressField::Gateway));
    for (int n = 0; n < kServerCount; ++n) {
        const auto slot = record.server(n);
        ServerForm &server = form.servers[static_cast<std::size_t>(n)];
        server.localPort = std::to_string(slot.localPort());
        server.targetPort = std::to_string(slot.targetPort());
        server.targetAddress = AnsiToUtf8(slot.targetAddress());
    }
    form.maxConnections = ItemIndex(record.maxConnections(), 0, std::size(kZeroToEight));
}

void FillDeviceForm(const DeviceBlock &block, std::string_view terminalAddress, DeviceForm &form)
{
    form.serverCount = ItemIndex(block.serverCount, 0, std::size(kZeroToEight));
    form.terminalAddress = std::string(terminalAddress);
    form.loginInterval = std::to_string(block.loginInterval);
    form.heartbeatInterval = std::to_string(block.heartbeatInterval);
    form.reportInterval = std::to_string(block.reportInterval);
    form.workMode = ItemIndex(block.workMode, 0, std::size(kWorkModeItems));
    form.baudRate = std::to_string(block.baudRate);
    form.dataBits = ItemIndex(block.dataBits, kDataBitsOffset, std::size(kDataBitItems));
    form.parity = ItemIndex(block.parity, 0, std::size(kParityItems));
    form.stopBits = ItemIndex(block.stopBits, kStopBitsOffset, std::size(kStopBitItems));
    form.modbusCount = std::to_string(block.modbusCount);
    for (std::size_t n = 0; n < kChannelCount; ++n) {
        ChannelForm &channel = form.channels[n];
        channel.address = std::to_string(block.channelAddress[n]);
        channel.tempHigh = FormatTemperature(block.tempHigh[n]);
        channel.tempLow = FormatTemperature(block.tempLow[n]);
        channel.humHigh = FormatHumidity(block.humHigh[n]);
        channel.humLow = FormatHumidity(block.humLow[n]);
    }
}

NetworkForm DefaultNetworkForm()
{
    NetworkForm form;
    form.staticIp = "192.168.0.9";
    form.subnetMask = "255.255.255.0";
    form.gateway = "192.168.0.1";
    for (int n = 0; n < kServerCount; ++n) {
        ServerForm &server = form.servers[static_cast<std::size_t>(n)];
        server.localPort = std::to_string(kFirstServerPort + n);
        server.targetPort = std::to_string(kFirstServerPort + n);
        server.targetAddress = kDefaultTargetAddress;
    }
    form.maxConnections = kAllConnections;
    form.mac = kDefaultMac;
    form.ipMode = kStaticIpItem;
    return form;
}

DeviceForm DefaultDeviceForm()
{
    const DeviceBlock block = DefaultPageDeviceBlock();
    DeviceForm form;
    FillDeviceForm(block, FormatTerminalBytes(block.terminalAddress), form);
    // Written as the page has always shown them, not in the one-decimal form of a read.
    for (ChannelForm &channel : form.channels) {
        channel.tempHigh = kDefaultUpperLimit;
        channel.tempLow = kDefaultLowerLimit;
        channel.humHigh = kDefaultUpperLimit;
        channel.humLow = kDefaultLowerLimit;
    }
    return form;
}

} // namespace ktr
