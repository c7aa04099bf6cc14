// The outcome of every request that waits for an answer, and the clock tick that sends retries
// and gives up on silent devices.
#include "ops/outcomes.h"

#include <algorithm>

#include "ops/mac_text.h"
#include "ops/text_convert.h"

namespace ktr {
namespace {

std::string DeviceName(const MacAddress &mac)
{
    return "设备" + FormatMacDashed(mac);
}

void RemoveVerification(AppState &state, const MacAddress &mac)
{
    std::erase_if(state.verifications,
                  [&](const WriteVerification &v) { return v.readMac() == mac; });
    if (state.pageAwaitsVerifiedRead == mac)
        state.pageAwaitsVerifiedRead.reset();
}

void ReportVerifiedRead(MessageText &text, const WriteVerification &v,
                        const VerificationResult &result, const NetworkBlock &read)
{
    switch (v.kind()) {
    case RestartingWrite::NetworkSettings:
        if (result.outcome == WriteOutcome::TookEffect) {
            text.appendLine("设备已重启，网络参数已生效");
            return;
        }
        text.appendLine("设备已重启，以下网络参数与写入的不一致：");
        for (const FieldDifference &d : result.differences)
            text.appendLine("  " + d.field + "：写入 " + d.written + "，设备为 " + d.found);
        return;
    case RestartingWrite::Mac:
        text.appendLine("MAC地址已改为" + FormatMacDashed(v.readMac()) + "，设备已用新地址应答");
        return;
    case RestartingWrite::FactoryReset:
        text.appendLine("设备已恢复出厂设置并重启，设备IP：" +
                        FormatDottedAddress(read.address(AddressField::StaticIp)));
        return;
    }
}

} // namespace

PendingRequest AwaitFromDevice(const MacAddress &mac, Awaited awaited, Purpose purpose,
                               Bytes request)
{
    PendingRequest r;
    r.key = {mac, awaited};
    r.purpose = purpose;
    r.request = std::move(request);
    r.attemptTimeout = kReplyTimeout;
    r.retries = kReplyRetries;
    return r;
}

void AwaitReply(Ui &ui, PendingRequest request, int sent)
{
    if (sent > 0)
        ui.state.pending.addSent(std::move(request), ui.state.clock());
}

void StartVerification(Ui &ui, RestartingWrite kind, const MacAddress &sentTo,
                       const MacAddress &readMac, const NetworkBlock &written)
{
    AppState &state = ui.state;
    RemoveVerification(state, readMac);
    const WriteVerification &v =
        state.verifications.emplace_back(kind, readMac, written, state.clock(), sentTo);
    state.pending.add(v.readRequest());
}

const WriteVerification *VerificationOf(const AppState &state, const MacAddress &mac)
{
    const auto it = std::find_if(state.verifications.begin(), state.verifications.end(),
                                 [&](const WriteVerification &v) { return v.readMac() == mac; });
    return it == state.verifications.end() ? nullptr : &*it;
}

void ReportVerification(Ui &ui, const MacAddress &mac, const NetworkBlock &read)
{
    AppState &state = ui.state;
    const WriteVerification *v = VerificationOf(state, mac);
    if (v == nullptr)
        return;
    ReportVerifiedRead(state.messageText, *v, v->onRead(read), read);
    // The device now answers only to its new MAC: the commands follow it there instead of
    // going to a MAC nobody answers any more.
    if (v->kind() == RestartingWrite::Mac && state.SelectedDeviceMac == v->sentTo())
        state.SelectedDeviceMac = v->readMac();
    if (v->kind() == RestartingWrite::Mac && state.networkBlockMac == v->sentTo())
        state.networkBlockMac = v->readMac();
    RemoveVerification(state, mac);
}

void ReportNoAnswer(Ui &ui, const PendingRequest &request)
{
    AppState &state = ui.state;
    const MacAddress &mac = request.key.mac;
    MessageText &text = state.messageText;
    switch (request.purpose) {
    case Purpose::ShowNetwork:
    case Purpose::ShowDevice:
        text.appendLine(
            DeviceName(mac) +
            "没有应答：请检查设备是否通电、网线是否连接，以及设备与本机是否在同一局域网");
        break;
    case Purpose::ConfirmWrite:
        text.appendLine(DeviceName(mac) +
                        "没有确认参数写入，参数可能没有保存：请重新读取设备参数后再配置");
        break;
    case Purpose::VerifyWrite: {
        const WriteVerification *v = VerificationOf(state, mac);
        if (v != nullptr && v->kind() == RestartingWrite::Mac)
            text.appendLine("新MAC地址" + FormatMacDashed(mac) +
                            "没有应答：MAC地址可能没有写入，请重新搜索确认");
        else
            text.appendLine(DeviceName(mac) + "重启后没有应答：请检查设备电源和网线，然后重新搜索");
        RemoveVerification(state, mac);
        break;
    }
    }
}

void OnTick(Ui &ui)
{
    AppState &state = ui.state;
    const DueRequests due = state.pending.due(state.clock());
    for (const PendingRequest &r : due.toSend)
        ui.shell.SendToAll(r.request);
    for (const PendingRequest &r : due.expired)
        ReportNoAnswer(ui, r);
    if (!due.expired.empty())
        ui.shell.refreshMessages();
}

} // namespace ktr
