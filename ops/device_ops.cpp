// Reading the device's application settings into the device page and writing the page back.
#include "ops/commands.h"

#include "ops/command_support.h"
#include "ops/device_block.h"
#include "ops/form_checks.h"
#include "ops/outcomes.h"
#include "ops/page_forms.h"

namespace ktr {

void OnReadDeviceBlock(Ui &ui)
{
    AppState &state = ui.state;
    const MacAddress &mac = state.SelectedDeviceMac;
    const Bytes request = EncodeTunnelRequest(mac, BuildTunnelFrame(kTunnelReadBlock));
    PendingRequest awaited =
        AwaitFromDevice(mac, Awaited::DeviceBlock, Purpose::ShowDevice, request);
    if (const WriteVerification *v = VerificationOf(state, mac)) {
        // Restarting after our own write: the read goes out once the device is back.
        const PendingRequest reread = v->readRequest(state.clock());
        awaited.sendAt = reread.sendAt;
        awaited.attemptTimeout = reread.attemptTimeout;
        awaited.giveUpAt = reread.giveUpAt;
        state.pending.add(std::move(awaited));
        state.messageText.clear();
        state.messageText.appendLine("读取设备参数...");
        state.messageText.appendLine(kWaitingForRestartLine);
        ui.shell.refreshMessages();
        return;
    }
    AwaitReply(ui, std::move(awaited), SendWithProgress(ui, request, "读取设备参数..."));
}

void OnWriteDeviceBlock(Ui &ui)
{
    if (!RequireDeviceRead(ui))
        return;
    // A read of another device does not count: its settings would be written to this one.
    if (!ui.state.deviceBlockRead || ui.state.deviceBlockMac != ui.state.SelectedDeviceMac) {
        ui.shell.messageBox("请先执行\"读取设备参数\"操作;然后进行数据修改后再配置", "提示",
                            BoxIcon::Exclamation);
        return;
    }
    const auto block = CheckDeviceForm(ui.devicePage.form());
    if (!block) {
        RefuseWrite(ui, ui.devicePage, block.error());
        return;
    }
    // The store takes the page only once it has passed: a refused write leaves it as it was.
    ui.state.deviceBlock = *block;
    const Bytes frame = BuildTunnelFrame(kTunnelWriteBlock, EncodeDeviceBody(ui.state.deviceBlock));
    const MacAddress &mac = ui.state.SelectedDeviceMac;
    const Bytes request = EncodeTunnelRequest(mac, frame);
    // Only the acknowledgement of this device says the write took.
    AwaitReply(ui, AwaitFromDevice(mac, Awaited::DeviceWriteAck, Purpose::ConfirmWrite, request),
               SendThenReport(ui, request, "设置参数... "));
}

void ShowDeviceBlock(Ui &ui)
{
    ui.state.deviceBlockRead = true;
    const DeviceBlock &block = ui.state.deviceBlock;
    DeviceForm form = ui.devicePage.form();
    FillDeviceForm(block, FormatTerminalAddress(block.terminalAddress), form);
    ui.devicePage.show(form);
}

} // namespace ktr
