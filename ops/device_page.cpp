// The device page's controls and the DeviceBlock record.
#include "ops/device_page.h"

#include "ops/command_support.h"
#include "ops/control_ids.h"
#include "ops/text_convert.h"

namespace ktr {
namespace {

constexpr int kDataBitsOffset = 5; // combo 1066 lists "5" to "9"
constexpr int kStopBitsOffset = 1; // combo 1068 lists "1" and "2"

} // namespace

DeviceBlock CollectDevicePage(const Page &page, std::string_view terminalAddress)
{
    DeviceBlock block;
    block.serverCount = ComboByte(page.selection(ids::kServerCountCombo));
    block.terminalAddress = TerminalAddressFromText(terminalAddress);
    block.loginInterval = ReadLow16(page, ids::kLoginInterval);
    block.heartbeatInterval = ReadLow16(page, ids::kHeartbeatInterval);
    block.reportInterval = ReadLow16(page, ids::kReportInterval);
    block.workMode = ComboByte(page.selection(ids::kWorkMode));
    block.baudRate = ReadDecimal(page.text(ids::kBaudRate));
    block.dataBits = ComboByte(page.selection(ids::kDataBits), kDataBitsOffset);
    block.parity = ComboByte(page.selection(ids::kParity));
    block.stopBits = ComboByte(page.selection(ids::kStopBits), kStopBitsOffset);
    block.modbusCount = ReadLow8(page, ids::kModbusCount);
    for (int n = 0; n < kChannelCount; ++n) {
        block.channelAddress[n] = ReadLow8(page, ids::kChannelAddress[n]);
        block.tempHigh[n] = TemperatureFromText(page.text(ids::kTempHigh[n]));
        block.tempLow[n] = TemperatureFromText(page.text(ids::kTempLow[n]));
        block.humHigh[n] = HumidityFromText(page.text(ids::kHumHigh[n]));
        block.humLow[n] = HumidityFromText(page.text(ids::kHumLow[n]));
    }
    return block;
}

void ShowDeviceSettings(Page &page, const DeviceBlock &block, std::string_view terminalAddress)
{
    page.setSelection(ids::kServerCountCombo, block.serverCount);
    page.setText(ids::kTerminalAddress, terminalAddress);
    SetNumber(page, ids::kLoginInterval, block.loginInterval);
    SetNumber(page, ids::kHeartbeatInterval, block.heartbeatInterval);
    SetNumber(page, ids::kReportInterval, block.reportInterval);
    page.setSelection(ids::kWorkMode, block.workMode);
    SetNumber(page, ids::kBaudRate, block.baudRate);
    // Data bits 0 to 4 give a negative index: no selection, like any other value off the items.
    page.setSelection(ids::kDataBits, block.dataBits - kDataBitsOffset);
    page.setSelection(ids::kParity, block.parity);
    page.setSelection(ids::kStopBits, block.stopBits - kStopBitsOffset);
    SetNumber(page, ids::kModbusCount, block.modbusCount);
    for (int n = 0; n < kChannelCount; ++n)
        SetNumber(page, ids::kChannelAddress[n], block.channelAddress[n]);
}

} // namespace ktr
