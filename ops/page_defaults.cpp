// The values both parameter pages show at start-up, before any device has been read.
#include "ops/commands.h"

#include <cstdio>

#include "ops/command_support.h"
#include "ops/control_ids.h"
#include "ops/device_block.h"
#include "ops/device_page.h"

namespace ktr {
namespace {

constexpr int kFirstServerPort = 2000; // entry n gets 1999 + n, local and target alike
constexpr const char *kDefaultTargetAddress = "192.168.0.166";
constexpr const char *kDefaultMac = "00-0E-EB-00-00-00";
constexpr int kAllConnections = 8;
constexpr int kStaticIpItem = 0;
constexpr const char *kDefaultUpperLimit = "99.9";
constexpr const char *kDefaultLowerLimit = "0";

void LoadNetworkPage(Page &page)
{
    page.setText(ids::kStaticIp, "192.168.0.9");
    page.setText(ids::kSubnetMask, "255.255.255.0");
    page.setText(ids::kGateway, "192.168.0.1");
    for (int n = 0; n < kServerCount; ++n)
        SetNumber(page, ids::kServers[n].localPort, kFirstServerPort + n);
    for (int n = 0; n < kServerCount; ++n)
        SetNumber(page, ids::kServers[n].targetPort, kFirstServerPort + n);
    for (const ids::ServerIds &server : ids::kServers)
        page.setText(server.targetAddress, kDefaultTargetAddress);
    page.setSelection(ids::kMaxConnections, kAllConnections);
    page.setText(ids::kMacEdit, kDefaultMac);
    page.setEnabled(ids::kStaticIp, true);
    page.setEnabled(ids::kSubnetMask, true);
    page.setEnabled(ids::kGateway, true);
    page.setSelection(ids::kIpMode, kStaticIpItem);
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

void LoadDevicePage(Page &page)
{
    const DeviceBlock block = DefaultPageDeviceBlock();
    ShowDeviceSettings(page, block, FormatTerminalBytes(block.terminalAddress));
    // Written as the page has always shown them, not in the one-decimal form of a read.
    for (int id : ids::kTempHigh)
        page.setText(id, kDefaultUpperLimit);
    for (int id : ids::kTempLow)
        page.setText(id, kDefaultLowerLimit);
    for (int id : ids::kHumHigh)
        page.setText(id, kDefaultUpperLimit);
    for (int id : ids::kHumLow)
        page.setText(id, kDefaultLowerLimit);
}

} // namespace

void LoadPageDefaults(Page &networkPage, Page &devicePage)
{
    LoadNetworkPage(networkPage);
    LoadDevicePage(devicePage);
}

} // namespace ktr
