// Reading a device's network settings into the network page and writing the page back.
#include "ops/commands.h"

#include "ops/command_support.h"
#include "ops/form_checks.h"
#include "ops/mac_text.h"
#include "ops/outcomes.h"
#include "ops/page_forms.h"

namespace ktr {
namespace {

// DHCP greys the static address fields; they keep their text and a write still sends them.
void ApplyIpModeEnableRule(NetworkView &page, const NetworkForm &form)
{
    page.setAddressesEnabled(form.ipMode != kIpModeDhcp);
}

} // namespace

void OnDblclkDeviceList(Ui &ui)
{
    const std::optional<int> row = ui.list.selectedRow();
    if (!row)
        return;
    const MacAddress mac = ParseMacPlain(ui.list.cellText(*row, kMacColumn));
    AppState &state = ui.state;
    state.SelectedDeviceMac = mac;
    NetworkForm form = ui.networkPage.form();
    form.mac = FormatMacDashed(mac);
    ui.networkPage.show(form);
    // The pages now belong to this device: late answers of the one read before are not taken.
    state.pending.cancel(Purpose::ShowNetwork);
    state.pending.cancel(Purpose::ShowDevice);
    state.pageAwaitsVerifiedRead.reset();
    if (VerificationOf(state, mac) != nullptr) {
        // The device is restarting after our own write: its re-read fills the page.
        state.pageAwaitsVerifiedRead = mac;
        state.messageText.clear();
        state.messageText.appendLine("读取参数...");
        state.messageText.appendLine(kWaitingForRestartLine);
        ui.shell.refreshMessages();
        return;
    }
    const Bytes request = EncodeReadNetworkRequest(mac);
    const int sent = SendWithProgress(ui, request, "读取参数...");
    AwaitReply(ui, AwaitFromDevice(mac, Awaited::NetworkBlock, Purpose::ShowNetwork, request),
               sent);
}

void ShowNetworkBlock(Ui &ui, ByteView block)
{
    if (block.size() != NetworkBlock::kSize)
        return;
    ui.state.LastNetworkBlock = NetworkBlock(block.first<NetworkBlock::kSize>());
    NetworkForm form = ui.networkPage.form();
    FillNetworkForm(ui.state.LastNetworkBlock, form);
    ui.networkPage.show(form);
    ApplyIpModeEnableRule(ui.networkPage, form);
}

void OnSelchangeIpMode(Ui &ui)
{
    ApplyIpModeEnableRule(ui.networkPage, ui.networkPage.form());
}

void OnConfigureNetwork(Ui &ui)
{
    if (!RequireDeviceRead(ui))
        return;
    // A field the device cannot hold refuses the whole write before the record is touched.
    const auto values = CheckNetworkForm(ui.networkPage.form());
    if (!values) {
        RefuseWrite(ui, ui.networkPage, values.error());
        return;
    }
    NetworkBlock &block = ui.state.LastNetworkBlock;
    const std::optional<NetworkBlock> before = RecordOf(ui.state, ui.state.SelectedDeviceMac);
    OverlayNetworkValues(*values, block);
    // Until the check confirms it, the record held is what was sent, not what the device holds.
    ui.state.networkBlockMac.reset();
    const MacAddress &mac = ui.state.SelectedDeviceMac;
    if (SendThenReport(ui, EncodeWriteNetworkRequest(mac, block.bytes()), "设置参数... ") > 0)
        StartVerification(ui, RestartingWrite::NetworkSettings, mac, mac, block, before);
}

} // namespace ktr
