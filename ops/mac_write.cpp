// Giving the selected device the MAC address typed into the network page.
#include "ops/commands.h"

#include "ops/command_support.h"
#include "ops/mac_text.h"
#include "ops/outcomes.h"

namespace ktr {

void OnWriteMac(Ui &ui)
{
    const auto newMac = ParseMacDashed(ui.networkPage.form().mac);
    if (!newMac) {
        ui.state.messageText.clear();
        ui.state.messageText.appendLine("不合格的MAC地址格式!!!");
        ui.shell.refreshMessages();
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
