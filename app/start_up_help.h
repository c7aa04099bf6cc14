// The help the message area shows after start-up: what the tool is for and the steps of its use.
#pragma once

#include <string_view>

namespace ktr {

// One line each.
inline constexpr std::string_view kStartUpHelp[] = {
    "  本软件适用于：KTR-4410-HT-LAN产品的参数配置。",
    "单击\"搜索\"按钮搜索设备，设备出现在设备列表后，双击设备更新信息到右边信息框中修改参数后，"
    "点击\"配置参数\"按钮，设备将保存参数并自动重启",
    "注意事项:",
    "1、确保软件与设备在同一局域网内",
    "2、请确定当前PC只使用一个网卡",
    "3、请按照 搜索->双击选中并读取->配置参数 的步骤来操作",
};

} // namespace ktr
