// Ordering the selected device back to its factory settings. The page is left as typed.
#include "ops/commands.h"

#include <string>

#include "ops/command_support.h"
#include "ops/mac_text.h"
#include "ops/outcomes.h"

namespace ktr {
namespace {

// The device as the user knows it: its MAC, and its IP when the list shows it.
std::string DeviceText(const DeviceList &list, const MacAddress &mac)
{
    std::string text = FormatMacDashed(mac);
    if (const auto row = RowOfDevice(list, mac))
        return text + "（IP " + list.cellText(*row, kIpColumn) + "）";
    return text;
}

} // namespace

void OnLoadDefaults(Ui &ui)
{
    if (!RequireDeviceRead(ui))
        return;
    const MacAddress mac = ui.state.SelectedDeviceMac;
    // A reset loses every setting of the device: one stray click must not do it.
    const std::string question = "确定要将设备" + DeviceText(ui.list, mac) +
                                 "恢复出厂设置吗？设备的网络参数将全部恢复为出厂值。";
    if (!ui.shell.askYesNo(question, "恢复出厂设置"))
        return;
    if (SendWithProgress(ui, EncodeFactoryResetRequest(mac), "恢复出厂设置...") > 0)
        StartVerification(ui, RestartingWrite::FactoryReset, mac, mac, ui.state.LastNetworkBlock,
                          RecordOf(ui.state, mac));
}

} // namespace ktr
