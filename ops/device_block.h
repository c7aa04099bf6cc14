// The device's application settings record (terminal address, intervals, work mode, RS-485
// settings, Modbus channels and limits) and the conversions between its fields and page text.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/frame.h"

namespace ktr {

inline constexpr int kChannelCount = 8;

struct DeviceBlock
{
    std::uint8_t serverCount = 0;
    std::uint32_t terminalAddress = 0;
    std::uint16_t loginInterval = 0;
    std::uint16_t heartbeatInterval = 0;
    std::uint16_t reportInterval = 0;
    std::uint8_t workMode = 0;
    std::int32_t baudRate = 0;
    std::uint8_t dataBits = 0;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;
    std::uint8_t modbusCount = 0;
    std::array<std::uint8_t, kChannelCount> channelAddress{};
    std::array<std::int16_t, kChannelCount> tempHigh{}; // tenths of a degree
    std::array<std::int16_t, kChannelCount> tempLow{};
    std::array<std::uint16_t, kChannelCount> humHigh{}; // tenths of a percent
    std::array<std::uint16_t, kChannelCount> humLow{};

    bool operator==(const DeviceBlock &) const = default;
};

using DeviceBody = std::array<std::uint8_t, kDeviceBodySize>;

// The 92 bytes between function byte and CRC of a device-block tunnel frame, little-endian.
DeviceBody EncodeDeviceBody(const DeviceBlock &block);
DeviceBlock DecodeDeviceBody(std::span<const std::uint8_t, kDeviceBodySize> body);

// --- Page text to field ---------------------------------------------------------------------

// Eight characters as four hex pairs, first pair most significant; a non-digit counts 0xFF and
// each pair is (first * 16 + second) mod 256. The caller checks the length.
std::uint32_t TerminalAddressFromText(std::string_view eightChars);
// Leading number * 10, limited to [-400, 1200] tenths, truncated toward zero.
std::int16_t TemperatureFromText(std::string_view text);
// Leading number * 10 truncated toward zero, low 16 bits taken as signed, absolute value,
// limited to 999 tenths.
std::uint16_t HumidityFromText(std::string_view text);
// A combo's selection index as a record byte: -1 (no selection) counts as 0xFF before the
// offset is added, and the sum keeps its low 8 bits.
std::uint8_t ComboByte(int selectionIndex, int offset = 0);

// --- Field to page text ---------------------------------------------------------------------

std::string FormatTerminalAddress(std::uint32_t value); // "%08x"
std::string FormatTemperature(std::int16_t tenths);     // "-0.5", "120.0"
std::string FormatHumidity(std::uint16_t tenths);       // "99.9"

// The values the device page shows at start-up.
DeviceBlock DefaultPageDeviceBlock();

} // namespace ktr
