// Reading the device's application settings into the device page and writing the page back.
#include "ops/commands.h"

#include "ops/command_support.h"
#include "ops/device_block.h"
#include "ops/form_checks.h"
#include "ops/page_forms.h"

namespace ktr {

void OnReadDeviceBlock(Ui &ui)
{
    const Bytes frame = BuildTunnelFrame(kTunnelReadBlock);
    SendWithProgress(ui, EncodeTunnelRequest(ui.state.SelectedDeviceMac, frame), "读取设备参数...");
}

void OnWriteDeviceBlock(Ui &ui)
{
    if (!ui.state.deviceBlockRead) {
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
    SendThenReport(ui, EncodeTunnelRequest(ui.state.SelectedDeviceMac, frame), "设置参数... ");
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
