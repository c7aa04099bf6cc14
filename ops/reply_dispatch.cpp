// Routing a received datagram to the decoder of the reply it carries. Replies to requests are
// taken only when the tool waits for them from that device.
#include "ops/commands.h"

#include "ops/command_support.h"
#include "ops/device_block.h"
#include "ops/mac_text.h"
#include "ops/outcomes.h"

namespace ktr {
namespace {

ReplyEffect ShowNetworkReply(Ui &ui, const PendingRequest &taken, ByteView block)
{
    AppState &state = ui.state;
    const bool verifying = taken.purpose == Purpose::VerifyWrite;
    const WriteVerification *v = verifying ? VerificationOf(state, taken.key.mac) : nullptr;
    const bool reset = v != nullptr && v->kind() == RestartingWrite::FactoryReset;
    if (verifying &&
        !ReportVerification(ui, taken.key.mac, NetworkBlock(block.first<NetworkBlock::kSize>())))
        return ReplyEffect::VerificationRead;
    ShowNetworkBlock(ui, block);
    ui.networkPage.showSource(DeviceNamed(ui, taken.key.mac));
    state.networkBlockMac = taken.key.mac;
    state.pageDeviceMac = taken.key.mac;
    if (reset)
        state.messageText.appendLine("网络参数页已显示设备恢复出厂设置后的参数");
    else
        state.messageText.appendLine("读取网络参数成功！");
    return ReplyEffect::NetworkShown;
}

// The tunnel frame passed its check in the classification, or no request would have taken it.
ReplyEffect ShowTunnelReply(Ui &ui, const PendingRequest &taken, const TunnelCheck &check)
{
    if (check.function == kTunnelWriteBlock) {
        ui.state.messageText.appendLine("下载设备参数成功！");
        return ReplyEffect::DeviceWriteConfirmed;
    }
    ui.state.deviceBlock = DecodeDeviceBody(check.body.first<kDeviceBodySize>());
    ShowDeviceBlock(ui);
    ui.state.deviceBlockMac = taken.key.mac;
    ui.state.messageText.appendLine("读取设备参数成功！");
    return ReplyEffect::DeviceBlockShown;
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

// A network or tunnel reply: shown when it answers a request the tool waits for; anything else
// is counted and traced.
ReplyOutcome TakeAndShow(Ui &ui, const Datagram &d)
{
    const auto key = KeyOfReply(d);
    if (!key)
        return {ReplyEffect::NotDecoded};
    const auto taken = ui.state.pending.match(*key);
    if (!taken) {
        ui.shell.trace(std::string("ignored ") + AwaitedName(key->awaited) + " from " +
                       FormatMacDashed(key->mac) + ": not waited for (" +
                       std::to_string(ui.state.pending.ignoredReplies()) + " ignored)");
        return {ReplyEffect::NotWaitedFor, key->mac};
    }
    const ReplyEffect effect = d.kind == DatagramKind::NetworkReply
                                   ? ShowNetworkReply(ui, *taken, d.payload)
                                   : ShowTunnelReply(ui, *taken, d.tunnel);
    return {effect, taken->key.mac};
}

ReplyOutcome Dispatch(Ui &ui, const Datagram &d)
{
    switch (d.kind) {
    case DatagramKind::SearchReply:
        ShowSearchReply(ui, d.payload);
        ui.state.messageText.appendLine("搜索到设备");
        return {ReplyEffect::DeviceListed};
    case DatagramKind::NetworkReply:
    case DatagramKind::TunnelReply:
        return TakeAndShow(ui, d);
    case DatagramKind::EmptyTunnel:
    case DatagramKind::NotAReply:
    case DatagramKind::Truncated:
    case DatagramKind::Undecoded:
        break;
    }
    return {ReplyEffect::NotDecoded};
}

} // namespace

ReplyOutcome OnDatagram(Ui &ui, ByteView datagram)
{
    const Datagram d = ClassifyDatagram(datagram);
    if (d.kind == DatagramKind::EmptyTunnel)
        return {ReplyEffect::Nothing};
    const ReplyOutcome outcome = Dispatch(ui, d);
    ui.shell.refreshMessages();
    return outcome;
}

} // namespace ktr
