// Routing a received datagram to the decoder of the reply it carries.
#include "ops/commands.h"

#include "ops/device_block.h"

namespace ktr {
namespace {

void ShowTunnelReply(Ui &ui, ByteView tunnelFrame)
{
    const TunnelCheck check = CheckTunnelFrame(tunnelFrame);
    if (check.status != TunnelStatus::Accepted)
        return;
    if (check.function == kTunnelWriteBlock) {
        ui.state.messageText.appendLine("下载设备参数成功！");
    } else if (check.function == kTunnelReadBlock && check.body.size() == kDeviceBodySize) {
        ui.state.deviceBlock = DecodeDeviceBody(check.body.first<kDeviceBodySize>());
        ShowDeviceBlock(ui);
        ui.state.messageText.appendLine("读取设备参数成功！");
    }
}

} // namespace

void OnDatagram(Ui &ui, ByteView datagram)
{
    const Datagram d = ClassifyDatagram(datagram);
    switch (d.kind) {
    case DatagramKind::SearchReply:
        ShowSearchReply(ui, d.payload);
        ui.state.messageText.appendLine("搜索到设备");
        break;
    case DatagramKind::NetworkReply:
        ShowNetworkBlock(ui, d.payload);
        ui.state.messageText.appendLine("读取网络参数成功！");
        break;
    case DatagramKind::TunnelReply:
        ShowTunnelReply(ui, d.payload);
        break;
    case DatagramKind::EmptyTunnel:
        return;
    case DatagramKind::NotAReply:
    case DatagramKind::Truncated:
    case DatagramKind::Undecoded:
        break;
    }
    ui.shell.refreshMessages();
}

} // namespace ktr
