// The field tables of the network and device forms.
#include "ops/form_fields.h"

#include <cstdio>

namespace ktr {
namespace {

constexpr std::int64_t kMaxPort = 65535;
constexpr std::int64_t kMaxInterval = 65535;  // seconds, a 16-bit field
constexpr std::int64_t kMaxBaudRate = 2147483647; // a signed 32-bit field
constexpr std::int64_t kMaxModbusCount = kChannelCount;
constexpr std::int64_t kMaxModbusAddress = 247;

template <typename Form>
FormField<Form> Text(std::string key, std::string label, FieldKind kind,
                     std::function<FieldRef(Form &)> access)
{
    return {std::move(key), std::move(label), kind, 0, 0, {}, std::move(access)};
}

template <typename Form>
FormField<Form> Number(std::string key, std::string label, std::int64_t min, std::int64_t max,
                       std::function<FieldRef(Form &)> access)
{
    return {std::move(key), std::move(label), FieldKind::Integer, min, max, {}, std::move(access)};
}

template <typename Form>
FormField<Form> Choice(std::string key, std::string label, std::span<const std::string_view> items,
                       std::function<FieldRef(Form &)> access)
{
    return {std::move(key), std::move(label), FieldKind::Choice, 0, 0, items, std::move(access)};
}

std::string ServerLabel(int n, std::string_view part)
{
    return "服务器" + std::to_string(n + 1) + " " + std::string(part);
}

std::string ChannelLabel(int n, std::string_view part)
{
    return std::to_string(n + 1) + "号通道" + std::string(part);
}

std::vector<NetworkField> MakeNetworkFields()
{
    using F = NetworkForm;
    std::vector<NetworkField> fields{
        Text<F>("static_ip", "静态IP", FieldKind::Address, [](F &f) { return FieldRef(&f.staticIp); }),
        Text<F>("subnet_mask", "子网掩码", FieldKind::Mask,
                [](F &f) { return FieldRef(&f.subnetMask); }),
        Text<F>("gateway", "网关地址", FieldKind::Address, [](F &f) { return FieldRef(&f.gateway); }),
        Choice<F>("ip_mode", "IP获取方式", kIpModeItems, [](F &f) { return FieldRef(&f.ipMode); }),
        Choice<F>("max_connections", "最大连接数量", kZeroToEight,
                  [](F &f) { return FieldRef(&f.maxConnections); }),
    };
    for (int n = 0; n < kServerCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        fields.push_back(Number<F>(ServerFieldKey(n, "local_port"), ServerLabel(n, "本地端口"), 0,
                                   kMaxPort,
                                   [i](F &f) { return FieldRef(&f.servers[i].localPort); }));
        fields.push_back(Text<F>(ServerFieldKey(n, "target_address"), ServerLabel(n, "目标地址"),
                                 FieldKind::TargetAddress,
                                 [i](F &f) { return FieldRef(&f.servers[i].targetAddress); }));
        fields.push_back(Number<F>(ServerFieldKey(n, "target_port"), ServerLabel(n, "目标端口"), 0,
                                   kMaxPort,
                                   [i](F &f) { return FieldRef(&f.servers[i].targetPort); }));
    }
    fields.push_back(Text<F>("mac", "MAC地址", FieldKind::Mac, [](F &f) { return FieldRef(&f.mac); }));
    return fields;
}

std::vector<DeviceField> MakeDeviceFields()
{
    using F = DeviceForm;
    std::vector<DeviceField> fields{
        Choice<F>("server_count", "服务器数量", kZeroToEight,
                  [](F &f) { return FieldRef(&f.serverCount); }),
        Text<F>("terminal_address", "终端地址", FieldKind::TerminalAddress,
                [](F &f) { return FieldRef(&f.terminalAddress); }),
        Number<F>("login_interval", "登陆帧间隔时间", 0, kMaxInterval,
                  [](F &f) { return FieldRef(&f.loginInterval); }),
        Number<F>("heartbeat_interval", "心跳包间隔时间", 0, kMaxInterval,
                  [](F &f) { return FieldRef(&f.heartbeatInterval); }),
        Number<F>("report_interval", "主动上送帧间隔时间", 0, kMaxInterval,
                  [](F &f) { return FieldRef(&f.reportInterval); }),
        Choice<F>("work_mode", "工作模式", kWorkModeItems, [](F &f) { return FieldRef(&f.workMode); }),
        Number<F>("baud_rate", "485口波特率", 1, kMaxBaudRate,
                  [](F &f) { return FieldRef(&f.baudRate); }),
        Choice<F>("data_bits", "数据位", kDataBitItems, [](F &f) { return FieldRef(&f.dataBits); }),
        Choice<F>("parity", "校验位", kParityItems, [](F &f) { return FieldRef(&f.parity); }),
        Choice<F>("stop_bits", "停止位", kStopBitItems, [](F &f) { return FieldRef(&f.stopBits); }),
        Number<F>("modbus_count", "Modbus终端数量", 1, kMaxModbusCount,
                  [](F &f) { return FieldRef(&f.modbusCount); }),
    };
    for (int n = 0; n < kChannelCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        fields.push_back(Number<F>(ChannelFieldKey(n, "address"), ChannelLabel(n, "地址"), 1,
                                   kMaxModbusAddress,
                                   [i](F &f) { return FieldRef(&f.channels[i].address); }));
        fields.push_back(Text<F>(ChannelFieldKey(n, "temp_high"), ChannelLabel(n, " 温度上限"),
                                 FieldKind::Temperature,
                                 [i](F &f) { return FieldRef(&f.channels[i].tempHigh); }));
        fields.push_back(Text<F>(ChannelFieldKey(n, "temp_low"), ChannelLabel(n, " 温度下限"),
                                 FieldKind::Temperature,
                                 [i](F &f) { return FieldRef(&f.channels[i].tempLow); }));
        fields.push_back(Text<F>(ChannelFieldKey(n, "hum_high"), ChannelLabel(n, " 湿度上限"),
                                 FieldKind::Humidity,
                                 [i](F &f) { return FieldRef(&f.channels[i].humHigh); }));
        fields.push_back(Text<F>(ChannelFieldKey(n, "hum_low"), ChannelLabel(n, " 湿度下限"),
                                 FieldKind::Humidity,
                                 [i](F &f) { return FieldRef(&f.channels[i].humLow); }));
    }
    return fields;
}

} // namespace

std::string ServerFieldKey(int n, std::string_view part)
{
    return "server" + std::to_string(n + 1) + "_" + std::string(part);
}

std::string ChannelFieldKey(int n, std::string_view part)
{
    return "channel" + std::to_string(n + 1) + "_" + std::string(part);
}

const std::vector<NetworkField> &NetworkFields()
{
    static const std::vector<NetworkField> fields = MakeNetworkFields();
    return fields;
}

const std::vector<DeviceField> &DeviceFields()
{
    static const std::vector<DeviceField> fields = MakeDeviceFields();
    return fields;
}

std::string AcceptedForm(FieldKind kind, std::int64_t min, std::int64_t max)
{
    switch (kind) {
    case FieldKind::Address:
        return "四段0-255的十进制数，如192.168.0.9";
    case FieldKind::Mask:
        return "连续的子网掩码，如255.255.255.0";
    case FieldKind::Integer:
        return std::to_string(min) + "-" + std::to_string(max) + "的整数";
    case FieldKind::TargetAddress:
        return "不超过29字节、只含简体中文(GBK)字符的文本";
    case FieldKind::Choice:
        return "列表中的一项";
    case FieldKind::Mac:
        return "如00-0E-EB-12-34-56的MAC地址";
    case FieldKind::TerminalAddress:
        return "8位十六进制数字(0-9、A-F)";
    case FieldKind::Temperature:
        return "-40.0到120.0之间的数，最多一位小数";
    case FieldKind::Humidity:
        return "0.0到99.9之间的数，最多一位小数";
    }
    return {};
}

} // namespace ktr
