// Checking the pages' forms before a write, and turning forms that pass into record values.
#include "ops/form_checks.h"

#include <algorithm>

#include "ops/ansi_text.h"
#include "ops/mac_text.h"
#include "ops/subnet_address.h"
#include "ops/text_convert.h"

namespace ktr {
namespace {

constexpr std::string_view kRefusalCaption = "输入错误";
constexpr std::size_t kTerminalAddressLength = 8;
constexpr std::size_t kMaxNumberDigits = 12; // beyond any field's range, short of overflow
constexpr std::int64_t kTempMinTenths = -400;
constexpr std::int64_t kTempMaxTenths = 1200;
constexpr std::int64_t kHumidityMaxTenths = 999;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// Spaces typed around a value are no part of it.
std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

[[nodiscard]] std::optional<std::int64_t> Digits(std::string_view text)
{
    if (!AllDigits(text) || text.size() > kMaxNumberDigits)
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value;
}

[[nodiscard]] std::optional<std::uint32_t> DottedAddress(std::string_view text)
{
    int parts = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        const std::string_view part = text.substr(start, dot - start);
        const auto value = part.size() <= 3 ? Digits(part) : std::nullopt;
        if (!value || *value > 255)
            return std::nullopt;
        ++parts;
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    if (parts != 4)
        return std::nullopt;
    return ParseDottedAddress(text);
}

bool IsContiguousMask(std::uint32_t mask)
{
    const std::uint32_t hostBits = ~mask;
    return (hostBits & (hostBits + 1)) == 0;
}

// A decimal number with at most one decimal, in tenths: "-12.5" gives -125.
[[nodiscard]] std::optional<std::int64_t> Tenths(std::string_view text, bool signAllowed)
{
    bool negative = false;
    if (signAllowed && !text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const auto whole = Digits(text.substr(0, point));
    if (!whole)
        return std::nullopt;
    std::int64_t tenths = *whole * 10;
    if (point != std::string_view::npos) {
        const std::string_view fraction = text.substr(point + 1);
        if (fraction.size() != 1 || !IsDigit(fraction[0]))
            return std::nullopt;
        tenths += fraction[0] - '0';
    }
    return negative ? -tenths : tenths;
}

bool InRange(std::optional<std::int64_t> value, std::int64_t min, std::int64_t max)
{
    return value && *value >= min && *value <= max;
}

bool IsHexText(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return HexDigitValue(c) != 0xFF; });
}

// The refusals that name their field in texts of their own.
[[nodiscard]] std::optional<Refusal>
CheckTargetAddress(std::string_view key, std::string_view label, std::string_view text)
{
    const std::string entry = std::string(key.substr(6, key.find('_') - 6));
    if (Utf8ToAnsi(text).size() > kMaxTargetAddressBytes) {
        // An address that does not fit would run into the next entry's ports.
        return Refusal{std::string(key),
                       "服务器" + entry + "的目标地址超过" +
                           std::to_string(kMaxTargetAddressBytes) + "字节",
                       "目标地址错误"};
    }
    // A line break or NUL would end or split the address the device connects to.
    const auto control = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    };
    if (std::any_of(text.begin(), text.end(), control))
        return Refusal{std::string(key), "服务器" + entry + "的目标地址含有控制字符",
                       "目标地址错误"};
    if (!Utf8ToAnsiExact(text))
        return RefuseField(key, label, AcceptedForm(FieldKind::TargetAddress));
    return std::nullopt;
}

[[nodiscard]] std::optional<Refusal>
CheckTerminalAddress(std::string_view key, std::string_view label, std::string_view text)
{
    // Counted in the bytes the device would get, so a Chinese character counts two.
    const std::string ansi = Utf8ToAnsi(text);
    if (ansi.size() != kTerminalAddressLength)
        return Refusal{std::string(key), "终端地址要为8位长度", "终端地址错误"};
    if (!IsHexText(ansi))
        return RefuseField(key, label, AcceptedForm(FieldKind::TerminalAddress));
    return std::nullopt;
}

bool TextPasses(FieldKind kind, std::int64_t min, std::int64_t max, std::string_view text)
{
    const std::string_view value = Trimmed(text);
    switch (kind) {
    case FieldKind::Address:
        return DottedAddress(value).has_value();
    case FieldKind::Mask: {
        const auto mask = DottedAddress(value);
        return mask && IsContiguousMask(*mask);
    }
    case FieldKind::Integer:
        return InRange(Digits(value), min, max);
    case FieldKind::Mac:
        return ParseMacDashed(text).has_value();
    case FieldKind::Temperature:
        return InRange(Tenths(value, true), kTempMinTenths, kTempMaxTenths);
    case FieldKind::Humidity:
        return InRange(Tenths(value, false), 0, kHumidityMaxTenths);
    case FieldKind::TargetAddress:
    case FieldKind::TerminalAddress:
    case FieldKind::Choice:
        break;
    }
    return true;
}

template <typename Form>
[[nodiscard]] std::optional<Refusal> FirstRefusal(const std::vector<FormField<Form>> &fields,
                                                  const Form &form, FieldKind skipped)
{
    for (const FormField<Form> &field : fields) {
        if (field.kind == skipped)
            continue;
        if (auto refusal = CheckField(field, form))
            return refusal;
    }
    return std::nullopt;
}

std::uint16_t Low16(std::string_view text)
{
    return static_cast<std::uint16_t>(ReadDecimal(text));
}

std::uint8_t Low8(std::string_view text)
{
    return static_cast<std::uint8_t>(ReadDecimal(text));
}

DeviceBlock DeviceValues(const DeviceForm &form)
{
    DeviceBlock block;
    block.serverCount = ComboByte(form.serverCount);
    block.terminalAddress = TerminalAddressFromText(Utf8ToAnsi(form.terminalAddress));
    block.loginInterval = Low16(form.loginInterval);
    block.heartbeatInterval = Low16(form.heartbeatInterval);
    block.reportInterval = Low16(form.reportInterval);
    block.workMode = ComboByte(form.workMode);
    block.baudRate = ReadDecimal(form.baudRate);
    block.dataBits = ComboByte(form.dataBits, kDataBitsOffset);
    block.parity = ComboByte(form.parity);
    block.stopBits = ComboByte(form.stopBits, kStopBitsOffset);
    block.modbusCount = Low8(form.modbusCount);
    for (std::size_t n = 0; n < kChannelCount; ++n) {
        const ChannelForm &channel = form.channels[n];
        block.channelAddress[n] = Low8(channel.address);
        block.tempHigh[n] = TemperatureFromText(channel.tempHigh);
        block.tempLow[n] = TemperatureFromText(channel.tempLow);
        block.humHigh[n] = HumidityFromText(channel.humHigh);
        block.humLow[n] = HumidityFromText(channel.humLow);
    }
    return block;
}

Refusal RefuseLowAboveHigh(int channel, std::string_view low, std::string_view high)
{
    const auto &fields = DeviceFields();
    const DeviceField *lowField = FindField(fields, ChannelFieldKey(channel, low));
    const DeviceField *highField = FindField(fields, ChannelFieldKey(channel, high));
    return Refusal{lowField->key, lowField->label + "：不能高于" + highField->label,
                   std::string(kRefusalCaption)};
}

[[nodiscard]] std::optional<Refusal> CheckLimitOrder(const DeviceBlock &block)
{
    for (int n = 0; n < kChannelCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        if (block.tempLow[i] > block.tempHigh[i])
            return RefuseLowAboveHigh(n, "temp_low", "temp_high");
        if (block.humLow[i] > block.humHigh[i])
            return RefuseLowAboveHigh(n, "hum_low", "hum_high");
    }
    return std::nullopt;
}

} // namespace

Refusal RefuseField(std::string_view key, std::string_view label, std::string_view accepted)
{
    return Refusal{std::string(key), std::string(label) + "：应为" + std::string(accepted),
                   std::string(kRefusalCaption)};
}

template <typename Form>
std::optional<Refusal> CheckField(const FormField<Form> &field, const Form &form)
{
    if (field.isChoice()) {
        const int index = field.index(form);
        if (index >= 0 && static_cast<std::size_t>(index) < field.items.size())
            return std::nullopt;
        return RefuseField(field.key, field.label, AcceptedForm(field.kind));
    }
    const std::string &text = field.text(form);
    if (field.kind == FieldKind::TargetAddress)
        return CheckTargetAddress(field.key, field.label, text);
    if (field.kind == FieldKind::TerminalAddress)
        return CheckTerminalAddress(field.key, field.label, text);
    if (TextPasses(field.kind, field.min, field.max, text))
        return std::nullopt;
    return RefuseField(field.key, field.label, AcceptedForm(field.kind, field.min, field.max));
}

template std::optional<Refusal> CheckField(const NetworkField &, const NetworkForm &);
template std::optional<Refusal> CheckField(const DeviceField &, const DeviceForm &);

Result<NetworkValues, Refusal> CheckNetworkForm(const NetworkForm &form)
{
    if (auto refusal = FirstRefusal(NetworkFields(), form, FieldKind::Mac))
        return Fail(std::move(*refusal));
    NetworkValues values;
    values.staticIp = ParseDottedAddress(Trimmed(form.staticIp));
    values.subnetMask = ParseDottedAddress(Trimmed(form.subnetMask));
    values.gateway = ParseDottedAddress(Trimmed(form.gateway));
    values.staticIpMode = form.ipMode != kIpModeDhcp;
    // A device holding its subnet's network or broadcast address cannot be reached; with DHCP
    // the static IP is not used.
    if (values.staticIpMode) {
        if (auto why = UnusableStaticIp(values.staticIp, values.subnetMask))
            return Fail(Refusal{"static_ip", "静态IP：" + *why, std::string(kRefusalCaption)});
    }
    values.maxConnections = static_cast<std::uint8_t>(form.maxConnections);
    for (std::size_t n = 0; n < kServerCount; ++n) {
        const ServerForm &server = form.servers[n];
        values.servers[n] = {Low16(server.localPort), Low16(server.targetPort),
                             Utf8ToAnsi(server.targetAddress)};
    }
    return values;
}

void OverlayNetworkValues(const NetworkValues &values, NetworkBlock &block)
{
    block.setAddress(AddressField::StaticIp, values.staticIp);
    block.setAddress(AddressField::SubnetMask, values.subnetMask);
    block.setAddress(AddressField::Gateway, values.gateway);
    block.setStaticIp(values.staticIpMode);
    for (int n = 0; n < kServerCount; ++n) {
        const ServerValues &server = values.servers[static_cast<std::size_t>(n)];
        ServerSlot slot = block.server(n);
        // Checked to fit, so the overlay always takes it.
        (void)slot.overlayTargetAddress(server.targetAddress);
        slot.setLocalPort(server.localPort);
        slot.setTargetPort(server.targetPort);
    }
    block.setMaxConnections(values.maxConnections);
}

Result<DeviceBlock, Refusal> CheckDeviceForm(const DeviceForm &form)
{
    if (auto refusal = FirstRefusal(DeviceFields(), form, FieldKind::Mac))
        return Fail(std::move(*refusal));
    DeviceBlock block = DeviceValues(form);
    if (auto refusal = CheckLimitOrder(block))
        return Fail(std::move(*refusal));
    return block;
}

} // namespace ktr
