// Routing a received datagram to the decoder of the reply it carries. Replies to requests are
// taken only when the tool waits for them from that device.
#include "ops/commands.h"

#include "ops/command_support.h"
#include "ops/device_block.h"
#include "ops/mac_text.h"
#include "ops/outcomes.h"

namespace ktr {
namespace {

void ShowNetworkReply(Ui &ui, const PendingRequest &taken, ByteView block)
{
    AppState &state = ui.state;
    const bool verifying = taken.purpose == Purpose::VerifyWrite;
    const WriteVerification *v = verifying ? VerificationOf(state, taken.key.mac) : nullptr;
    const bool reset = v != nullptr && v->kind() == RestartingWrite::FactoryReset;
    if (verifying &&
        !ReportVerification(ui, taken.key.mac, NetworkBlock(block.first<NetworkBlock::kSize>())))
        return;
    ShowNetworkBlock(ui, block);
    ui.networkPage.showSource(DeviceNamed(ui, taken.key.mac));
    state.networkBlockMac = taken.key.mac;
    state.pageDeviceMac = taken.key.mac;
    if (reset)
        state.messageText.appendLine("网络参数页已显示设备恢复出厂设置后的参数");
    else
        state.messageText.appendLine("读取网络参数成功！");
}

void ShowTunnelReply(Ui &ui, const PendingRequest &taken, ByteView tunnelFrame)
{
    const TunnelCheck check = CheckTunnelFrame(tunnelFrame);
    if (check.function == kTunnelWriteBlock) {
        ui.state.messageText.appendLine("下载设备参数成功！");
    } else if (check.function == kTunnelReadBlock) {
        ui.state.deviceBlock = DecodeDeviceBody(check.body.first<kDeviceBodySize>());
        ShowDeviceBlock(ui);
        ui.state.deviceBlockMac = taken.key.mac;
        ui.state.messageText.appendLine("读取设备参数成功！");
    }
}

const char *AwaitedName(Awaited awaited)
{
    switch (awaited) {
    case Awaited::NetworkBlock:
        return "network settings";
    case Awaited::DeviceBlock:
        return "device settings";
    case Awaited::DeviceWriteAck:
        return "device write acknowledgement";
    }
    return "";
}

// The pending request this datagram answers; anything else is counted and traced.
std::optional<PendingRequest> TakeAnswer(Ui &ui, ByteView datagram)
{
    const auto key = KeyOfReply(datagram);
    if (!key)
        return std::nullopt;
    auto taken = ui.state.pending.match(*key);
    if (!taken)
        ui.shell.trace(std::string("ignored ") + AwaitedName(key->awaited) + " from " +
                       FormatMacDashed(key->mac) + ": not waited for (" +
                       std::to_string(ui.state.pending.ignoredReplies()) + " ignored)");
    return taken;
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
        if (const auto taken = TakeAnswer(ui, datagram))
            ShowNetworkReply(ui, *taken, d.payload);
        break;
    case DatagramKind::TunnelReply:
        if (const auto taken = TakeAnswer(ui, datagram))
            ShowTunnelReply(ui, *taken, d.payload);
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
