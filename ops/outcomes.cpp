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

// The check waiting for this MAC's answer, const or not as the state is.
template <typename State>
auto FindVerification(State &state, const MacAddress &mac) -> decltype(&state.verifications[0])
{
    const auto it = std::find_if(state.verifications.begin(), state.verifications.end(),
                                 [&](const WriteVerification &v) { return v.awaitedMac() == mac; });
    return it == state.verifications.end() ? nullptr : &*it;
}

void RemoveVerification(AppState &state, const WriteVerification *v)
{
    if (state.pageAwaitsVerifiedRead == v->readMac())
        state.pageAwaitsVerifiedRead.reset();
    std::erase_if(state.verifications, [&](const WriteVerification &e) { return &e == v; });
}

std::string IpText(const std::optional<NetworkBlock> &read)
{
    return read ? FormatDottedAddress(read->address(AddressField::StaticIp)) : std::string("-");
}

// Nothing came back at all: the write may not even have reached the device.
std::string SilenceLine(const MacAddress &mac)
{
    return DeviceName(mac) +
           "写入后没有任何应答，不能确定写入是否生效：请检查设备电源和网线，然后重新搜索";
}

std::vector<std::string> NetworkVerdict(const WriteVerification &v, const VerificationResult &r)
{
    switch (r.outcome) {
    case WriteOutcome::TookEffect:
        return {"设备已重启，网络参数已生效"};
    case WriteOutcome::Differs: {
        std::vector<std::string> lines{"设备已重启，以下网络参数与写入的不一致："};
        for (const FieldDifference &d : r.differences)
            lines.push_back("  " + d.field + "：写入 " + d.written + "，设备为 " + d.found);
        return lines;
    }
    default:
        return {SilenceLine(v.sentTo())};
    }
}

std::vector<std::string> MacVerdict(const WriteVerification &v, const VerificationResult &r)
{
    const std::string oldMac = FormatMacDashed(v.sentTo());
    const std::string newMac = FormatMacDashed(v.readMac());
    switch (r.outcome) {
    case WriteOutcome::TookEffect:
        return {"MAC地址已改为" + newMac + "，设备已用新地址应答"};
    case WriteOutcome::NotTaken:
        return {"设备仍在旧MAC地址" + oldMac + "应答，新MAC地址" + newMac +
                "没有应答：MAC地址没有改变"};
    case WriteOutcome::OldMacAnswers:
        return {"新MAC地址" + newMac + "已应答，但旧MAC地址" + oldMac +
                "仍有设备应答：请重新搜索确认"};
    case WriteOutcome::OtherAtNewMac:
        return {"新MAC地址" + newMac + "应答的网络参数与本设备的不同，可能是另一台设备：" +
                "请重新搜索确认"};
    default:
        return {"新MAC地址" + newMac + "和旧MAC地址" + oldMac +
                "都没有应答，不能确定MAC地址是否已写入：请检查设备电源和网线，然后重新搜索"};
    }
}

std::vector<std::string> ResetVerdict(const WriteVerification &v, const VerificationResult &r)
{
    switch (r.outcome) {
    case WriteOutcome::TookEffect:
        return {"设备已恢复出厂设置并重启，设备IP：" + IpText(r.read)};
    case WriteOutcome::NotTaken:
        return {DeviceName(v.sentTo()) +
                "的网络参数与恢复前相同：恢复出厂设置没有生效（或设备原本就是出厂设置）"};
    case WriteOutcome::Unconfirmed:
        return {DeviceName(v.sentTo()) + "已应答，设备IP：" + IpText(r.read) +
                "；恢复前没有读取设备参数，不能确定是否已恢复出厂设置"};
    default:
        return {SilenceLine(v.sentTo())};
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
                       const MacAddress &readMac, const NetworkBlock &written,
                       std::optional<NetworkBlock> before)
{
    AppState &state = ui.state;
    if (const WriteVerification *old = VerificationOf(state, readMac))
        RemoveVerification(state, old);
    const WriteVerification &v = state.verifications.emplace_back(kind, sentTo, readMac, written,
                                                                  std::move(before), state.clock());
    state.pending.add(v.readRequest(state.clock()));
}

const WriteVerification *VerificationOf(const AppState &state, const MacAddress &mac)
{
    return FindVerification(state, mac);
}

std::vector<std::string> VerdictLines(const WriteVerification &v, const VerificationResult &result)
{
    switch (v.kind()) {
    case RestartingWrite::NetworkSettings:
        return NetworkVerdict(v, result);
    case RestartingWrite::Mac:
        return MacVerdict(v, result);
    case RestartingWrite::FactoryReset:
        return ResetVerdict(v, result);
    }
    return {};
}

namespace {

// A verdict in the message text; the selection follows a device that moved to its new MAC.
void ReportVerdict(AppState &state, const WriteVerification &v, const VerificationResult &result)
{
    for (const std::string &line : VerdictLines(v, result))
        state.messageText.appendLine(line);
    // The device now answers only to its new MAC: the commands follow it there instead of
    // going to a MAC nobody answers any more.
    if (result.outcome != WriteOutcome::TookEffect)
        return;
    if (v.kind() == RestartingWrite::Mac && state.SelectedDeviceMac == v.sentTo())
        state.SelectedDeviceMac = v.readMac();
    if (v.kind() == RestartingWrite::Mac && state.networkBlockMac == v.sentTo())
        state.networkBlockMac = v.readMac();
    if (v.kind() == RestartingWrite::Mac && state.pageDeviceMac == v.sentTo())
        state.pageDeviceMac = v.readMac();
    // The record sent is now the device's own.
    if (v.kind() == RestartingWrite::NetworkSettings && state.SelectedDeviceMac == v.sentTo())
        state.networkBlockMac = v.sentTo();
}

} // namespace

bool ReportVerification(Ui &ui, const MacAddress &mac, const NetworkBlock &read)
{
    AppState &state = ui.state;
    WriteVerification *v = FindVerification(state, mac);
    if (v == nullptr)
        return false;
    const std::optional<VerificationResult> result = v->onRead(read, state.clock());
    if (!result) {
        // No verdict from this answer: the device is asked again while the window lasts.
        state.pending.add(v->readRequest(state.clock()));
        return false;
    }
    ReportVerdict(state, *v, *result);
    const bool pageWaits = state.pageAwaitsVerifiedRead == v->readMac();
    // After a reset the page takes the device's new values, so that the next write does not
    // send the old ones back.
    const bool resetOnPage = v->kind() == RestartingWrite::FactoryReset &&
                             result->outcome == WriteOutcome::TookEffect &&
                             state.SelectedDeviceMac == mac;
    RemoveVerification(state, v);
    return pageWaits || resetOnPage;
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
        WriteVerification *v = FindVerification(state, mac);
        if (v == nullptr)
            break;
        const std::optional<VerificationResult> result = v->onSilence();
        if (!result) {
            state.pending.add(v->readRequest(state.clock()));
            break;
        }
        ReportVerdict(state, *v, *result);
        RemoveVerification(state, v);
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
    EndQuietSearch(ui);
}

} // namespace ktr
