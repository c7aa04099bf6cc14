// Identifiers of the controls of the main window and of the two parameter pages. Identifiers
// are unique per page only: 1056, 1057 and 1058 exist on both pages with different meanings.
#pragma once

#include <array>

namespace ktr::ids {

// Main window.
inline constexpr int kLocalAddress = 1005;
inline constexpr int kLocalPort = 1006;
inline constexpr int kSearch = 1002;
inline constexpr int kDeviceListLabel = 1000;
inline constexpr int kDeviceList = 1001;
inline constexpr int kMessageArea = 1007;
inline constexpr int kTabs = 1047;

// Network page.
inline constexpr int kStaticIp = 1020;
inline constexpr int kSubnetMask = 1018;
inline constexpr int kGateway = 1019;
inline constexpr int kIpMode = 1021;         // items "StaticIP", "DHCP/autoIP"
inline constexpr int kMaxConnections = 1046; // items "0" to "8"
inline constexpr int kMacEdit = 1030;
inline constexpr int kWriteMac = 1031;
inline constexpr int kConfigureNetwork = 1024;
inline constexpr int kLoadDefaults = 1025;

struct ServerIds
{
    int localPort;
    int targetAddress;
    int targetPort;
};
// Server entries 1 to 8.
inline constexpr std::array<ServerIds, 8> kServers{{
    {1014, 1015, 1016},
    {1056, 1057, 1058},
    {1026, 1027, 1028},
    {1029, 1032, 1033},
    {1034, 1035, 1036},
    {1037, 1038, 1039},
    {1040, 1041, 1042},
    {1043, 1044, 1045},
}};

// Device page.
inline constexpr int kServerCountCombo = 1050; // items "0" to "8"
inline constexpr int kTerminalAddress = 1051;
inline constexpr int kLoginInterval = 1052;
inline constexpr int kHeartbeatInterval = 1053;
inline constexpr int kReportInterval = 1054;
inline constexpr int kWorkMode = 1055; // six sensor kinds
inline constexpr int kBaudRate = 1056;
inline constexpr int kDataBits = 1066; // items "5" to "9"
inline constexpr int kParity = 1012;   // items "NONE", "ODD", "EVEN"
inline constexpr int kStopBits = 1068; // items "1", "2"
inline constexpr int kModbusCount = 1057;
inline constexpr int kReadDeviceBlock = 1049;
inline constexpr int kWriteDeviceBlock = 1048;

// Per channel 1 to 8: address, upper and lower temperature, upper and lower humidity.
inline constexpr std::array<int, 8> kChannelAddress{1058, 1059, 1060, 1061, 1062, 1063, 1064, 1065};
inline constexpr std::array<int, 8> kTempHigh{1069, 1070, 1071, 1072, 1073, 1074, 1075, 1076};
inline constexpr std::array<int, 8> kTempLow{1077, 1078, 1079, 1080, 1081, 1082, 1083, 1084};
inline constexpr std::array<int, 8> kHumHigh{1085, 1086, 1087, 1088, 1089, 1090, 1091, 1093};
inline constexpr std::array<int, 8> kHumLow{1094, 1095, 1096, 1097, 1098, 1099, 1100, 1101};

} // namespace ktr::ids
