// DeviceBlock body layout and the conversions between its fields and the device page's text.
#include "ops/device_block.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "link/byte_order.h"
#include "ops/text_convert.h"

namespace ktr {
namespace {

// Body offsets: the tunnel frame's offsets less the two header bytes.
constexpr std::size_t kServerCountAt = 0;
constexpr std::size_t kTerminalAddressAt = 1;
constexpr std::size_t kLoginAt = 5;
constexpr std::size_t kHeartbeatAt = 7;
constexpr std::size_t kReportAt = 9;
constexpr std::size_t kWorkModeAt = 11;
constexpr std::size_t kBaudRateAt = 12;
constexpr std::size_t kDataBitsAt = 16;
constexpr std::size_t kParityAt = 17;
constexpr std::size_t kStopBitsAt = 18;
constexpr std::size_t kModbusCountAt = 19;
constexpr std::size_t kChannelAddressAt = 20;
constexpr std::size_t kLimitsAt = 28; // eight groups of four 16-bit limits
constexpr std::size_t kLimitGroupSize = 8;
static_assert(kLimitsAt + kLimitGroupSize * kChannelCount == kDeviceBodySize);

constexpr double kTempMax = 1200.0;
constexpr double kTempMin = -400.0;
constexpr int kHumidityMax = 999;

std::size_t LimitAt(int channel, std::size_t which)
{
    return kLimitsAt + kLimitGroupSize * static_cast<std::size_t>(channel) + 2 * which;
}

} // namespace

DeviceBody EncodeDeviceBody(const DeviceBlock &block)
{
    DeviceBody body{};
    body[kServerCountAt] = block.serverCount;
    PutLe32(body, kTerminalAddressAt, block.terminalAddress);
    PutLe16(body, kLoginAt, block.loginInterval);
    PutLe16(body, kHeartbeatAt, block.heartbeatInterval);
    PutLe16(body, kReportAt, block.reportInterval);
    body[kWorkModeAt] = block.workMode;
    PutLe32(body, kBaudRateAt, static_cast<std::uint32_t>(block.baudRate));
    body[kDataBitsAt] = block.dataBits;
    body[kParityAt] = block.parity;
    body[kStopBitsAt] = block.stopBits;
    body[kModbusCountAt] = block.modbusCount;
    std::copy(block.channelAddress.begin(), block.channelAddress.end(),
              body.begin() + kChannelAddressAt);
    for (int n = 0; n < kChannelCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        PutLe16(body, LimitAt(n, 0), static_cast<std::uint16_t>(block.tempHigh[i]));
        PutLe16(body, LimitAt(n, 1), static_cast<std::uint16_t>(block.tempLow[i]));
        PutLe16(body, LimitAt(n, 2), block.humHigh[i]);
        PutLe16(body, LimitAt(n, 3), block.humLow[i]);
    }
    return body;
}

DeviceBlock DecodeDeviceBody(std::span<const std::uint8_t, kDeviceBodySize> body)
{
    DeviceBlock block;
    block.serverCount = body[kServerCountAt];
    block.terminalAddress = GetLe32(body, kTerminalAddressAt);
    block.loginInterval = GetLe16(body, kLoginAt);
    block.heartbeatInterval = GetLe16(body, kHeartbeatAt);
    block.reportInterval = GetLe16(body, kReportAt);
    block.workMode = body[kWorkModeAt];
    block.baudRate = static_cast<std::int32_t>(GetLe32(body, kBaudRateAt));
    block.dataBits = body[kDataBitsAt];
    block.parity = body[kParityAt];
    block.stopBits = body[kStopBitsAt];
    block.modbusCount = body[kModbusCountAt];
    std::copy_n(body.begin() + kChannelAddressAt, kChannelCount, block.channelAddress.begin());
    for (int n = 0; n < kChannelCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        block.tempHigh[i] = static_cast<std::int16_t>(GetLe16(body, LimitAt(n, 0)));
        block.tempLow[i] = static_cast<std::int16_t>(GetLe16(body, LimitAt(n, 1)));
        block.humHigh[i] = GetLe16(body, LimitAt(n, 2));
        block.humLow[i] = GetLe16(body, LimitAt(n, 3));
    }
    return block;
}

std::uint32_t TerminalAddressFromText(std::string_view eightChars)
{
    std::uint32_t value = 0;
    for (std::size_t pair = 0; pair < 4 && 2 * pair + 1 < eightChars.size(); ++pair) {
        const unsigned byte =
            (HexDigitValue(eightChars[2 * pair]) * 16u + HexDigitValue(eightChars[2 * pair + 1])) &
            0xFFu;
        value = value << 8 | byte;
    }
    return value;
}

std::int16_t TemperatureFromText(std::string_view text)
{
    // NaN cannot come from the reader; infinities are clamped like any large number.
    const double tenths = std::clamp(ReadLeadingFloat(text) * 10.0, kTempMin, kTempMax);
    return static_cast<std::int16_t>(std::trunc(tenths));
}

std::uint16_t HumidityFromText(std::string_view text)
{
    // The low 16 bits of the truncated integer, computed exactly for any double. Numbers too
    // large for a double's fraction to reach the low 16 bits (and the infinities that stand for
    // numbers beyond the double range) have low bits of zero and give 0.
    const double tenths = std::trunc(ReadLeadingFloat(text) * 10.0);
    if (!std::isfinite(tenths))
        return 0;
    double low = std::fmod(tenths, 65536.0);
    if (low < 0)
        low += 65536.0;
    const auto asSigned = static_cast<std::int16_t>(static_cast<std::uint16_t>(low));
    return static_cast<std::uint16_t>(std::min(std::abs(int{asSigned}), kHumidityMax));
}

std::uint8_t ComboByte(int selectionIndex, int offset)
{
    const unsigned index = selectionIndex < 0 ? 0xFFu : static_cast<unsigned>(selectionIndex);
    return static_cast<std::uint8_t>((index + static_cast<unsigned>(offset)) & 0xFFu);
}

std::string FormatTerminalAddress(std::uint32_t value)
{
    char buffer[12];
    std::snprintf(buffer, sizeof buffer, "%08x", static_cast<unsigned>(value));
    return buffer;
}

std::string FormatTemperature(std::int16_t tenths)
{
    const int t = tenths;
    char buffer[16];
    if (t < 0)
        std::snprintf(buffer, sizeof buffer, "-%d.%01d", -t / 10, -t % 10);
    else
        std::snprintf(buffer, sizeof buffer, "%d.%01d", t / 10, t % 10);
    return buffer;
}

std::string FormatHumidity(std::uint16_t tenths)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%u.%01u", unsigned{tenths} / 10, unsigned{tenths} % 10);
    return buffer;
}

DeviceBlock DefaultPageDeviceBlock()
{
    DeviceBlock block;
    block.serverCount = 8;
    block.terminalAddress = 0x12345678;
    block.loginInterval = 3;
    block.heartbeatInterval = 60;
    block.reportInterval = 5;
    block.workMode = 0;
    block.baudRate = 4800;
    block.dataBits = 8;
    block.parity = 0;
    block.stopBits = 1;
    block.modbusCount = 1;
    for (int n = 0; n < kChannelCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        block.channelAddress[i] = static_cast<std::uint8_t>(n + 1);
        block.tempHigh[i] = 999;
        block.humHigh[i] = 999;
    }
    return block;
}

} // namespace ktr
