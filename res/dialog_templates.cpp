// The four dialog templates of the tool. Statics come right before the control they label, so
// the builder can pair them; group boxes come before the controls they frame.
#include "res/dialog_templates.h"

#include <string_view>

#include "ops/forms.h" // the combo items, shared with the checks of a write

namespace ktr {
namespace {

// clang-format off
constexpr ControlTemplate kAboutControls[] = {
    {kNoControlId, ControlKind::Icon, "128", 11, 17, 20, 20, kStyleNone, {}, "KTR-4410-HT-LAN"},
    {kNoControlId, ControlKind::Label, "KTR-4410-HT-LAN V3.2", 40, 10, 119, 8, kNoPrefix},
    {kNoControlId, ControlKind::Label, "版权所有 (C) 2026", 40, 25, 119, 8, kStyleNone},
    {1, ControlKind::DefaultButton, "确定", 178, 6, 50, 14, kStyleNone},
};

constexpr ControlTemplate kMainControls[] = {
    {kNoControlId, ControlKind::GroupBox, "本机信息", 7, 7, 236, 41, kStyleNone},
    {1005, ControlKind::Edit, "", 15, 25, 74, 14, kReadOnly | kBorder | kAutoHScroll, {}, "本机IP"},
    {1006, ControlKind::Edit, "", 106, 25, 40, 14, kReadOnly | kBorder | kAutoHScroll, {}, "本机端口"},
    {1002, ControlKind::PushButton, "搜索", 157, 22, 77, 21, kStyleNone},
    {1000, ControlKind::Label, "设备列表", 12, 52, 56, 8, kStyleNone},
    {1001, ControlKind::ListView, "", 7, 64, 240, 143, kReportView | kSingleSelection | kBorder},
    {kNoControlId, ControlKind::Label, "信息提示区", 7, 212, 41, 8, kStyleNone},
    {1007, ControlKind::Edit, "", 7, 227, 240, 131, kMultiLine | kVScroll | kAutoVScroll | kUpperCase | kBorder},
    {1047, ControlKind::TabControl, "", 254, 7, 315, 352, kFixedWidthTabs, {}, "参数页"},
};

constexpr ControlTemplate kNetworkPageControls[] = {
    {kNoControlId, ControlKind::GroupBox, "服务器1", 0, 3, 123, 55, kStyleNone},
    {kNoControlId, ControlKind::Label, "目标端口：", 6, 17, 44, 8, kStyleNone},
    {1016, ControlKind::Edit, "", 52, 15, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器1"},
    {kNoControlId, ControlKind::Label, "目标地址：", 6, 31, 44, 8, kStyleNone},
    {1015, ControlKind::Edit, "", 52, 29, 68, 12, kBorder | kAutoHScroll, {}, {}, "服务器1"},
    {kNoControlId, ControlKind::Label, "本地端口：", 6, 46, 44, 8, kStyleNone},
    {1014, ControlKind::Edit, "", 52, 44, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器1"},
    {kNoControlId, ControlKind::GroupBox, "服务器2", 148, 3, 133, 55, kStyleNone},
    {kNoControlId, ControlKind::Label, "目标端口：", 154, 17, 46, 8, kStyleNone},
    {1058, ControlKind::Edit, "", 202, 15, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器2"},
    {kNoControlId, ControlKind::Label, "目标地址：", 154, 31, 46, 8, kStyleNone},
    {1057, ControlKind::Edit, "", 202, 29, 73, 12, kBorder | kAutoHScroll, {}, {}, "服务器2"},
    {kNoControlId, ControlKind::Label, "本地端口：", 154, 46, 46, 8, kStyleNone},
    {1056, ControlKind::Edit, "", 202, 44, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器2"},
    {kNoControlId, ControlKind::GroupBox, "服务器3", 0, 60, 123, 55, kStyleNone},
    {kNoControlId, ControlKind::Label, "目标端口：", 6, 71, 44, 8, kStyleNone},
    {1028, ControlKind::Edit, "", 52, 69, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器3"},
    {kNoControlId, ControlKind::Label, "目标地址：", 6, 85, 44, 8, kStyleNone},
    {1027, ControlKind::Edit, "", 52, 83, 67, 12, kBorder | kAutoHScroll, {}, {}, "服务器3"},
    {kNoControlId, ControlKind::Label, "本地端口：", 6, 100, 44, 8, kStyleNone},
    {1026, ControlKind::Edit, "", 52, 98, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器3"},
    {kNoControlId, ControlKind::GroupBox, "服务器4", 148, 60, 133, 55, kStyleNone},
    {kNoControlId, ControlKind::Label, "目标端口：", 154, 71, 46, 8, kStyleNone},
    {1033, ControlKind::Edit, "", 202, 69, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器4"},
    {kNoControlId, ControlKind::Label, "目标地址：", 154, 85, 46, 8, kStyleNone},
    {1032, ControlKind::Edit, "", 202, 83, 74, 12, kBorder | kAutoHScroll, {}, {}, "服务器4"},
    {kNoControlId, ControlKind::Label, "本地端口：", 154, 100, 46, 8, kStyleNone},
    {1029, ControlKind::Edit, "", 202, 98, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器4"},
    {kNoControlId, ControlKind::GroupBox, "服务器5", 0, 119, 124, 55, kStyleNone},
    {kNoControlId, ControlKind::Label, "目标端口：", 6, 130, 44, 8, kStyleNone},
    {1036, ControlKind::Edit, "", 52, 128, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器5"},
    {kNoControlId, ControlKind::Label, "目标地址：", 6, 144, 44, 8, kStyleNone},
    {1035, ControlKind::Edit, "", 52, 142, 67, 12, kBorder | kAutoHScroll, {}, {}, "服务器5"},
    {kNoControlId, ControlKind::Label, "本地端口：", 6, 159, 44, 8, kStyleNone},
    {1034, ControlKind::Edit, "", 52, 157, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器5"},
    {kNoControlId, ControlKind::GroupBox, "服务器6", 148, 119, 134, 55, kStyleNone},
    {kNoControlId, ControlKind::Label, "目标端口：", 154, 130, 46, 8, kStyleNone},
    {1039, ControlKind::Edit, "", 202, 128, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器6"},
    {kNoControlId, ControlKind::Label, "目标地址：", 154, 144, 46, 8, kStyleNone},
    {1038, ControlKind::Edit, "", 202, 142, 74, 12, kBorder | kAutoHScroll, {}, {}, "服务器6"},
    {kNoControlId, ControlKind::Label, "本地端口：", 154, 159, 46, 8, kStyleNone},
    {1037, ControlKind::Edit, "", 202, 157, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器6"},
    {kNoControlId, ControlKind::GroupBox, "服务器7", 0, 178, 123, 55, kStyleNone},
    {kNoControlId, ControlKind::Label, "目标端口：", 6, 189, 44, 8, kStyleNone},
    {1042, ControlKind::Edit, "", 52, 187, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器7"},
    {kNoControlId, ControlKind::Label, "目标地址：", 6, 202, 44, 8, kStyleNone},
    {1041, ControlKind::Edit, "", 52, 200, 67, 12, kBorder | kAutoHScroll, {}, {}, "服务器7"},
    {kNoControlId, ControlKind::Label, "本地端口：", 6, 217, 44, 8, kStyleNone},
    {1040, ControlKind::Edit, "", 52, 215, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器7"},
    {kNoControlId, ControlKind::GroupBox, "服务器8", 148, 178, 134, 55, kStyleNone},
    {kNoControlId, ControlKind::Label, "目标端口：", 154, 189, 46, 8, kStyleNone},
    {1045, ControlKind::Edit, "", 202, 187, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器8"},
    {kNoControlId, ControlKind::Label, "目标地址：", 154, 202, 46, 8, kStyleNone},
    {1044, ControlKind::Edit, "", 202, 200, 74, 12, kBorder | kAutoHScroll, {}, {}, "服务器8"},
    {kNoControlId, ControlKind::Label, "本地端口：", 154, 217, 46, 8, kStyleNone},
    {1043, ControlKind::Edit, "", 202, 215, 31, 12, kBorder | kAutoHScroll, {}, {}, "服务器8"},
    {kNoControlId, ControlKind::Label, "静态IP：", 6, 246, 44, 8, kStyleNone},
    {1020, ControlKind::Edit, "", 52, 244, 68, 12, kBorder | kAutoHScroll},
    {kNoControlId, ControlKind::Label, "子网掩码：", 6, 261, 44, 8, kStyleNone},
    {1018, ControlKind::Edit, "", 52, 259, 68, 12, kBorder | kAutoHScroll},
    {kNoControlId, ControlKind::Label, "网关地址：", 6, 278, 44, 8, kStyleNone},
    {1019, ControlKind::Edit, "", 52, 276, 68, 12, kBorder | kAutoHScroll},
    {kNoControlId, ControlKind::Label, "IP获取方式：", 138, 245, 61, 8, kStyleNone},
    // 57 units wide, not 50, and 1030 73, not 71: "DHCP/autoIP" and a whole MAC address fit;
    // nothing stands to their right.
    {1021, ControlKind::ComboBox, "", 201, 243, 57, 35, kVScroll, kIpModeItems},
    {kNoControlId, ControlKind::Label, "最大连接数量：", 138, 261, 61, 8, kStyleNone},
    {1046, ControlKind::ComboBox, "", 201, 259, 36, 69, kVScroll, kZeroToEight},
    {kNoControlId, ControlKind::Label, "MAC地址：", 138, 277, 61, 8, kStyleNone},
    {1030, ControlKind::Edit, "", 202, 275, 73, 12, kBorder | kAutoHScroll},
    {1031, ControlKind::PushButton, "写MAC", 184, 295, 44, 12, kStyleNone},
    {1024, ControlKind::PushButton, "参数配置", 33, 308, 53, 22, kStyleNone},
    {1025, ControlKind::PushButton, "载入默认", 130, 308, 49, 22, kStyleNone},
};

constexpr ControlTemplate kDevicePageControls[] = {
    {kNoControlId, ControlKind::Label, "服务器数量", 22, 18, 88, 8, kStyleNone},
    {1050, ControlKind::ComboBox, "", 113, 16, 48, 56, kVScroll, kZeroToEight},
    {kNoControlId, ControlKind::Label, "终端地址：", 22, 38, 88, 8, kStyleNone},
    {1051, ControlKind::Edit, "", 114, 35, 81, 14, kBorder | kAutoHScroll},
    {kNoControlId, ControlKind::Label, "登陆帧间隔时间：", 21, 58, 90, 8, kStyleNone},
    {1052, ControlKind::Edit, "", 113, 55, 82, 14, kBorder | kAutoHScroll},
    {kNoControlId, ControlKind::Label, "秒", 201, 58, 12, 8, kStyleNone},
    {kNoControlId, ControlKind::Label, "心跳包间隔时间：", 21, 77, 90, 8, kStyleNone},
    {1053, ControlKind::Edit, "", 113, 74, 82, 14, kBorder | kAutoHScroll},
    {kNoControlId, ControlKind::Label, "秒", 201, 77, 12, 8, kStyleNone},
    {kNoControlId, ControlKind::Label, "主动上送帧间隔时间：", 21, 96, 90, 8, kStyleNone},
    {1054, ControlKind::Edit, "", 113, 93, 81, 14, kBorder | kAutoHScroll},
    {kNoControlId, ControlKind::Label, "秒", 201, 96, 12, 8, kStyleNone},
    {kNoControlId, ControlKind::Label, "工作模式：", 22, 114, 88, 8, kStyleNone},
    {1055, ControlKind::ComboBox, "", 113, 112, 94, 59, kVScroll, kWorkModeItems},
    {kNoControlId, ControlKind::Label, "485口波特率：", 22, 132, 88, 8, kStyleNone},
    {1056, ControlKind::Edit, "", 113, 129, 42, 14, kBorder | kAutoHScroll},
    {1066, ControlKind::ComboBox, "", 160, 129, 32, 63, kVScroll, kDataBitItems, "数据位"},
    {1012, ControlKind::ComboBox, "", 197, 129, 31, 63, kVScroll, kParityItems, "校验位"},
    {1068, ControlKind::ComboBox, "", 232, 129, 21, 65, kVScroll, kStopBitItems, "停止位"},
    {kNoControlId, ControlKind::GroupBox, "MODBUS参数", 2, 146, 294, 161, kStyleNone},
    {kNoControlId, ControlKind::Label, "Modbus终端数量(1-8)：", 7, 162, 91, 8, kStyleNone},
    {1057, ControlKind::Edit, "", 99, 159, 40, 14, kBorder | kAutoHScroll},
    {kNoControlId, ControlKind::Label, "温度上限", 146, 161, 35, 8, kStyleNone},
    {kNoControlId, ControlKind::Label, "温度下限", 182, 161, 35, 8, kStyleNone},
    {kNoControlId, ControlKind::Label, "湿度上限", 218, 161, 35, 8, kStyleNone},
    {kNoControlId, ControlKind::Label, "湿度下限", 254, 161, 35, 8, kStyleNone},
    {kNoControlId, ControlKind::Label, "1号通道地址：", 39, 180, 59, 8, kStyleNone},
    {1058, ControlKind::Edit, "", 99, 177, 40, 14, kBorder | kAutoHScroll},
    {1069, ControlKind::Edit, "", 146, 178, 27, 13, kBorder | kAutoHScroll, {}, "温度上限", "1号通道"},
    {1077, ControlKind::Edit, "", 182, 178, 27, 13, kBorder | kAutoHScroll, {}, "温度下限", "1号通道"},
    {1085, ControlKind::Edit, "", 218, 178, 27, 13, kBorder | kAutoHScroll, {}, "湿度上限", "1号通道"},
    {1094, ControlKind::Edit, "", 254, 178, 27, 13, kBorder | kAutoHScroll, {}, "湿度下限", "1号通道"},
    {kNoControlId, ControlKind::Label, "2号通道地址：", 39, 196, 59, 8, kStyleNone},
    {1059, ControlKind::Edit, "", 99, 193, 40, 14, kBorder | kAutoHScroll},
    {1070, ControlKind::Edit, "", 146, 193, 27, 13, kBorder | kAutoHScroll, {}, "温度上限", "2号通道"},
    {1078, ControlKind::Edit, "", 182, 193, 27, 13, kBorder | kAutoHScroll, {}, "温度下限", "2号通道"},
    {1086, ControlKind::Edit, "", 218, 193, 27, 13, kBorder | kAutoHScroll, {}, "湿度上限", "2号通道"},
    {1095, ControlKind::Edit, "", 254, 193, 27, 13, kBorder | kAutoHScroll, {}, "湿度下限", "2号通道"},
    {kNoControlId, ControlKind::Label, "3号通道地址：", 39, 212, 59, 8, kStyleNone},
    {1060, ControlKind::Edit, "", 99, 209, 40, 14, kBorder | kAutoHScroll},
    {1071, ControlKind::Edit, "", 146, 210, 27, 13, kBorder | kAutoHScroll, {}, "温度上限", "3号通道"},
    {1079, ControlKind::Edit, "", 182, 210, 27, 13, kBorder | kAutoHScroll, {}, "温度下限", "3号通道"},
    {1087, ControlKind::Edit, "", 218, 210, 27, 13, kBorder | kAutoHScroll, {}, "湿度上限", "3号通道"},
    {1096, ControlKind::Edit, "", 254, 210, 27, 13, kBorder | kAutoHScroll, {}, "湿度下限", "3号通道"},
    {kNoControlId, ControlKind::Label, "4号通道地址：", 39, 227, 59, 8, kStyleNone},
    {1061, ControlKind::Edit, "", 99, 224, 40, 14, kBorder | kAutoHScroll},
    {1072, ControlKind::Edit, "", 146, 225, 27, 13, kBorder | kAutoHScroll, {}, "温度上限", "4号通道"},
    {1080, ControlKind::Edit, "", 182, 225, 27, 13, kBorder | kAutoHScroll, {}, "温度下限", "4号通道"},
    {1088, ControlKind::Edit, "", 218, 225, 27, 13, kBorder | kAutoHScroll, {}, "湿度上限", "4号通道"},
    {1097, ControlKind::Edit, "", 254, 225, 27, 13, kBorder | kAutoHScroll, {}, "湿度下限", "4号通道"},
    {kNoControlId, ControlKind::Label, "5号通道地址：", 39, 243, 59, 8, kStyleNone},
    {1062, ControlKind::Edit, "", 99, 240, 40, 14, kBorder | kAutoHScroll},
    {1073, ControlKind::Edit, "", 146, 241, 27, 13, kBorder | kAutoHScroll, {}, "温度上限", "5号通道"},
    {1081, ControlKind::Edit, "", 182, 241, 27, 13, kBorder | kAutoHScroll, {}, "温度下限", "5号通道"},
    {1089, ControlKind::Edit, "", 218, 241, 27, 13, kBorder | kAutoHScroll, {}, "湿度上限", "5号通道"},
    {1098, ControlKind::Edit, "", 254, 241, 27, 13, kBorder | kAutoHScroll, {}, "湿度下限", "5号通道"},
    {kNoControlId, ControlKind::Label, "6号通道地址：", 39, 259, 59, 8, kStyleNone},
    {1063, ControlKind::Edit, "", 99, 256, 40, 14, kBorder | kAutoHScroll},
    {1074, ControlKind::Edit, "", 146, 257, 27, 13, kBorder | kAutoHScroll, {}, "温度上限", "6号通道"},
    {1082, ControlKind::Edit, "", 182, 257, 27, 13, kBorder | kAutoHScroll, {}, "温度下限", "6号通道"},
    {1090, ControlKind::Edit, "", 218, 257, 27, 13, kBorder | kAutoHScroll, {}, "湿度上限", "6号通道"},
    {1099, ControlKind::Edit, "", 254, 257, 27, 13, kBorder | kAutoHScroll, {}, "湿度下限", "6号通道"},
    {kNoControlId, ControlKind::Label, "7号通道地址：", 39, 276, 59, 8, kStyleNone},
    {1064, ControlKind::Edit, "", 99, 273, 40, 14, kBorder | kAutoHScroll},
    {1075, ControlKind::Edit, "", 146, 274, 27, 13, kBorder | kAutoHScroll, {}, "温度上限", "7号通道"},
    {1083, ControlKind::Edit, "", 182, 274, 27, 13, kBorder | kAutoHScroll, {}, "温度下限", "7号通道"},
    {1091, ControlKind::Edit, "", 218, 274, 27, 13, kBorder | kAutoHScroll, {}, "湿度上限", "7号通道"},
    {1100, ControlKind::Edit, "", 254, 274, 27, 13, kBorder | kAutoHScroll, {}, "湿度下限", "7号通道"},
    {kNoControlId, ControlKind::Label, "8号通道地址：", 39, 292, 59, 8, kStyleNone},
    {1065, ControlKind::Edit, "", 99, 289, 40, 14, kBorder | kAutoHScroll},
    {1076, ControlKind::Edit, "", 146, 290, 27, 13, kBorder | kAutoHScroll, {}, "温度上限", "8号通道"},
    {1084, ControlKind::Edit, "", 182, 290, 27, 13, kBorder | kAutoHScroll, {}, "温度下限", "8号通道"},
    {1093, ControlKind::Edit, "", 218, 290, 27, 13, kBorder | kAutoHScroll, {}, "湿度上限", "8号通道"},
    {1101, ControlKind::Edit, "", 254, 290, 27, 13, kBorder | kAutoHScroll, {}, "湿度下限", "8号通道"},
    {1049, ControlKind::PushButton, "读取设备参数", 43, 311, 61, 21, kStyleNone},
    {1048, ControlKind::PushButton, "配置设备参数", 159, 311, 59, 21, kStyleNone},
};

// clang-format on

constexpr std::string_view kFont = "宋体";

constexpr DialogTemplate kTemplates[] = {
    {kAboutTemplate, "关于 KTR-4410-HT-LAN V3.2", 235, 55, kFont, 9, kAboutControls},
    {kMainTemplate, "KTR-4410-HT-LAN Setup V3.2", 579, 366, kFont, 9, kMainControls},
    {kNetworkPageTemplate, "", 295, 337, kFont, 9, kNetworkPageControls},
    {kDevicePageTemplate, "", 316, 339, kFont, 9, kDevicePageControls},
};

} // namespace

const DialogTemplate *FindDialogTemplate(int id)
{
    for (const DialogTemplate &t : kTemplates) {
        if (t.id == id) {
            return &t;
        }
    }
    return nullptr;
}

} // namespace ktr
