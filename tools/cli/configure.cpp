// The configuration of one device.
#include "tools/cli/configure.h"

#include <algorithm>

#include "tools/cli/device_io.h"
#include "tools/cli/exit_codes.h"

namespace ktr::cli {
namespace {

DeviceResult Failed(DeviceResult result, Outcome outcome, std::string detail)
{
    result.outcome = outcome;
    result.detail = std::move(detail);
    return result;
}

} // namespace

DeviceResult Configure(Exchange &exchange, const MacAddress &mac,
                       const std::vector<Assignment> &assignments, bool dryRun)
{
    DeviceResult result;
    result.mac = mac;
    const bool network = TouchesNetwork(assignments);
    const bool device = TouchesDevice(assignments);

    const Records read = ReadRecords(exchange, mac, network, device);
    const std::optional<NetworkBlock> &readNetwork = read.network;
    const std::optional<DeviceBlock> &readDevice = read.device;
    if (network && !readNetwork)
        return Failed(result, Outcome::NoAnswer, "设备没有应答读取网络参数");
    if (device && !readDevice)
        return Failed(result, Outcome::NoAnswer, "设备没有应答读取设备参数");
    if (readNetwork)
        result.ip = readNetwork->address(AddressField::StaticIp);

    const NetworkBlock baseNetwork = readNetwork.value_or(NetworkBlock{});
    const DeviceBlock baseDevice = readDevice.value_or(DeviceBlock{});
    const DeviceSettings before = SettingsOf(mac, baseNetwork, baseDevice);
    DeviceSettings wanted = before;
    Overlay(wanted, assignments);

    // The same checks and conversions as the pages' writes.
    NetworkBlock targetNetwork = baseNetwork;
    DeviceBlock targetDevice = baseDevice;
    if (network) {
        const auto values = CheckNetworkForm(wanted.network);
        if (!values)
            return Failed(result, Outcome::Refused, values.error().text);
        OverlayNetworkValues(*values, targetNetwork);
    }
    if (device) {
        const auto block = CheckDeviceForm(wanted.device);
        if (!block)
            return Failed(result, Outcome::Refused, block.error().text);
        targetDevice = *block;
    }
    const DeviceSettings target = SettingsOf(mac, targetNetwork, targetDevice);
    if (network && dryRun)
        result.ip = targetNetwork.address(AddressField::StaticIp);
    result.changes = DifferingFields(target, before);
    const bool networkChanges = targetNetwork != baseNetwork;
    const bool deviceChanges = targetDevice != baseDevice;
    if (!networkChanges && !deviceChanges) {
        result.outcome = Outcome::Unchanged;
        return result;
    }
    if (dryRun) {
        if (deviceChanges)
            result.frames.push_back(DeviceWriteFrame(mac, targetDevice));
        if (networkChanges)
            result.frames.push_back(NetworkWriteFrame(mac, targetNetwork));
        result.outcome = Outcome::DryRun;
        return result;
    }

    // The device record first: its write is acknowledged and restarts nothing. Without the
    // acknowledgement the record is read back to say what the device holds, and the network
    // record is not written: a device that misses one write is not sent the one that restarts it.
    const std::string networkHeld = networkChanges ? ", 网络参数没有写入" : "";
    if (deviceChanges && !WriteDevice(exchange, mac, targetDevice)) {
        const auto back = ReadDevice(exchange, mac);
        if (!back)
            return Failed(result, Outcome::NoAnswer,
                          "设备没有确认写入设备参数, 也没有应答读取" + networkHeld);
        const std::vector<FieldChange> differing =
            DifferingFields(target, SettingsOf(mac, baseNetwork, *back));
        if (!networkChanges && differing.empty()) {
            result.outcome = Outcome::Done;
            return result;
        }
        if (!differing.empty())
            result.changes = differing;
        return Failed(result, Outcome::Differs, "设备没有确认写入设备参数" + networkHeld);
    }
    NetworkBlock foundNetwork = targetNetwork;
    if (networkChanges) {
        const std::optional<CheckedWrite> written = WriteAndVerify(
            exchange, {RestartingWrite::NetworkSettings, mac, mac,
                       NetworkWriteFrame(mac, targetNetwork), targetNetwork, baseNetwork});
        if (!written)
            return Failed(result, Outcome::NoAnswer, "网络参数的写入没有发出: 没有可用的网络接口");
        if (!written->result.read)
            return Failed(result, Outcome::NotBack,
                          "写入网络参数后设备没有任何应答, 不能确定写入是否生效");
        foundNetwork = *written->result.read;
        result.ip = foundNetwork.address(AddressField::StaticIp);
    }
    const std::vector<FieldChange> differing =
        DifferingFields(target, SettingsOf(mac, foundNetwork, targetDevice));
    if (!differing.empty()) {
        result.changes = differing;
        return Failed(result, Outcome::Differs, "设备读回的参数与写入的不同");
    }
    result.outcome = Outcome::Done;
    return result;
}

int ExitCodeOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done:
    case Outcome::Unchanged:
    case Outcome::DryRun:
        return kExitOk;
    case Outcome::Refused:
        return kExitUsage;
    case Outcome::NoAnswer:
    case Outcome::NotBack:
        return kExitNoAnswer;
    case Outcome::Differs:
        return kExitFailed;
    case Outcome::Interrupted:
        return kExitInterrupted;
    }
    return kExitFailed;
}

std::string OutcomeText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done:
        return "完成";
    case Outcome::Unchanged:
        return "无需修改";
    case Outcome::DryRun:
        return "未发送";
    case Outcome::Refused:
        return "参数错误";
    case Outcome::NoAnswer:
        return "无应答";
    case Outcome::NotBack:
        return "未恢复";
    case Outcome::Differs:
        return "未生效";
    case Outcome::Interrupted:
        return "中断";
    }
    return {};
}

std::string ApplySummary(const std::vector<DeviceResult> &results, bool dryRun)
{
    const auto count = [&results](auto &&counted) {
        return std::to_string(std::count_if(results.begin(), results.end(), counted));
    };
    const auto failed = [](const DeviceResult &r) {
        return ExitCodeOf(r.outcome) != kExitOk;
    };
    std::string text = "共 " + std::to_string(results.size()) + " 台设备, ";
    if (!dryRun) {
        return text + "成功 " + count([&](const DeviceResult &r) { return !failed(r); }) +
               " 台, 失败 " + count(failed) + " 台";
    }
    text += "将修改 " + count([](const DeviceResult &r) { return r.outcome == Outcome::DryRun; }) +
            " 台, 无需修改 " +
            count([](const DeviceResult &r) { return r.outcome == Outcome::Unchanged; }) + " 台";
    const std::string failures = count(failed);
    return failures == "0" ? text : text + ", 失败 " + failures + " 台";
}

std::string OutcomeKey(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done:
        return "done";
    case Outcome::Unchanged:
        return "unchanged";
    case Outcome::DryRun:
        return "dry_run";
    case Outcome::Refused:
        return "refused";
    case Outcome::NoAnswer:
        return "unreachable";
    case Outcome::NotBack:
        return "not_back";
    case Outcome::Differs:
        return "failed";
    case Outcome::Interrupted:
        return "interrupted";
    }
    return {};
}

} // namespace ktr::cli
