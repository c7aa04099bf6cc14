// Giving the selected device the MAC address typed into the network page.
#include "ops/commands.h"

#include "ops/command_support.h"
#include "ops/mac_guard.h"
#include "ops/mac_text.h"
#include "ops/outcomes.h"

namespace ktr {
namespace {

// Why the new MAC must not be written, if it must not: the devices of the last search are the
// list's rows.
[[nodiscard]] std::optional<std::string> RefusalOf(const Ui &ui, const MacAddress &newMac)
{
    if (const auto refusal = CheckNewMac(ui.state.SelectedDeviceMac, newMac))
        return MacRefusalText(*refusal, newMac);
    if (const auto row = RowOfDevice(ui.list, newMac))
        return MacRefusalText(MacRefusal::HeldByAnother, newMac,
                              "列表中的另一台设备（IP " + ui.list.cellText(*row, kIpColumn) + "）");
    return std::nullopt;
}

} // namespace

void OnWriteMac(Ui &ui)
{
    if (!RequireDeviceRead(ui))
        return;
    const auto newMac = ParseMacDashed(ui.networkPage.form().mac);
    if (!newMac) {
        ShowOnlyLine(ui, "不合格的MAC地址格式!!!");
        return;
    }
    if (const auto refusal = RefusalOf(ui, *newMac)) {
        ShowOnlyLine(ui, *refusal);
        return;
    }
    // Addressed to the device's current MAC; once the device answers to the new one, the
    // selection follows it.
    if (SendWithProgress(ui, EncodeWriteMacRequest(ui.state.SelectedDeviceMac, *newMac),
                         "写入MAC地址...") > 0)
        StartVerification(ui, RestartingWrite::Mac, ui.state.SelectedDeviceMac, *newMac,
                          ui.state.LastNetworkBlock,
                          RecordOf(ui.state, ui.state.SelectedDeviceMac));
}

} // namespace ktr
