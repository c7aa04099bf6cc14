// The two parameter pages as typed forms: every field as the user sees it, texts as typed and
// combo boxes as the index of the item shown (-1 when none).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "ops/device_block.h"
#include "ops/network_block.h"

namespace ktr {

inline constexpr int kNoSelection = -1;

// The items of the pages' combo boxes, in their order on the page.
inline constexpr std::string_view kIpModeItems[] = {"StaticIP", "DHCP/autoIP"};
inline constexpr int kIpModeDhcp = 1;
inline constexpr std::string_view kZeroToEight[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8"};
inline constexpr std::string_view kWorkModeItems[] = {
    "温湿度探头",        "Modbus温湿度传感器", "0-5V温湿度变送器",
    "0-10V温湿度变送器", "0-10mA温湿度变送器", "4-20mA温湿度变送器",
};
inline constexpr std::string_view kDataBitItems[] = {"5", "6", "7", "8", "9"};
inline constexpr std::string_view kParityItems[] = {"NONE", "ODD", "EVEN"};
inline constexpr std::string_view kStopBitItems[] = {"1", "2"};
inline constexpr int kDataBitsOffset = 5; // item 0 is 5 data bits
inline constexpr int kStopBitsOffset = 1; // item 0 is 1 stop bit

struct ServerForm
{
    std::string localPort;
    std::string targetAddress;
    std::string targetPort;

    bool operator==(const ServerForm &) const = default;
};

struct NetworkForm
{
    std::string staticIp;
    std::string subnetMask;
    std::string gateway;
    int ipMode = kNoSelection;
    int maxConnections = kNoSelection;
    std::string mac;
    std::array<ServerForm, kServerCount> servers{};

    bool operator==(const NetworkForm &) const = default;
};

struct ChannelForm
{
    std::string address;
    std::string tempHigh;
    std::string tempLow;
    std::string humHigh;
    std::string humLow;

    bool operator==(const ChannelForm &) const = default;
};

struct DeviceForm
{
    int serverCount = kNoSelection;
    std::string terminalAddress;
    std::string loginInterval;
    std::string heartbeatInterval;
    std::string reportInterval;
    int workMode = kNoSelection;
    std::string baudRate;
    int dataBits = kNoSelection;
    int parity = kNoSelection;
    int stopBits = kNoSelection;
    std::string modbusCount;
    std::array<ChannelForm, kChannelCount> channels{};

    bool operator==(const DeviceForm &) const = default;
};

} // namespace ktr
