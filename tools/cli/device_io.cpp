// Reads and writes of the device records.
#include "tools/cli/device_io.h"

#include "ops/outcomes.h"

namespace ktr::cli {
namespace {

[[nodiscard]] std::optional<NetworkBlock> NetworkBlockOf(const std::optional<Bytes> &reply)
{
    if (!reply)
        return std::nullopt;
    const Datagram d = ClassifyDatagram(*reply);
    return NetworkBlock(d.payload.first<kNetworkBlockSize>());
}

[[nodiscard]] std::optional<DeviceBlock> DeviceBlockOf(const std::optional<Bytes> &reply)
{
    if (!reply)
        return std::nullopt;
    const TunnelCheck check = CheckTunnelFrame(ClassifyDatagram(*reply).payload);
    return DecodeDeviceBody(check.body.first<kDeviceBodySize>());
}

PendingRequest NetworkRead(const MacAddress &mac)
{
    return AwaitFromDevice(mac, Awaited::NetworkBlock, Purpose::ShowNetwork,
                           EncodeReadNetworkRequest(mac));
}

PendingRequest DeviceRead(const MacAddress &mac)
{
    return AwaitFromDevice(mac, Awaited::DeviceBlock, Purpose::ShowDevice,
                           EncodeTunnelRequest(mac, BuildTunnelFrame(kTunnelReadBlock)));
}

} // namespace

std::optional<NetworkBlock> ReadNetwork(Exchange &exchange, const MacAddress &mac)
{
    return NetworkBlockOf(exchange.await(NetworkRead(mac)));
}

std::optional<DeviceBlock> ReadDevice(Exchange &exchange, const MacAddress &mac)
{
    return DeviceBlockOf(exchange.await(DeviceRead(mac)));
}

Records ReadRecords(Exchange &exchange, const MacAddress &mac, bool network, bool device)
{
    std::vector<PendingRequest> requests;
    if (network)
        requests.push_back(NetworkRead(mac));
    if (device)
        requests.push_back(DeviceRead(mac));
    const std::vector<std::optional<Bytes>> replies = exchange.awaitAll(std::move(requests));
    Records records;
    if (network)
        records.network = NetworkBlockOf(replies.front());
    if (device)
        records.device = DeviceBlockOf(replies.back());
    return records;
}

bool WriteDevice(Exchange &exchange, const MacAddress &mac, const DeviceBlock &block)
{
    return exchange
        .await(AwaitFromDevice(mac, Awaited::DeviceWriteAck, Purpose::ConfirmWrite,
                               DeviceWriteFrame(mac, block)))
        .has_value();
}

std::optional<CheckedWrite> WriteAndVerify(Exchange &exchange, const RestartingRequest &write)
{
    CheckedWrite checked;
    const SteadyTime sentAt = Clock::now();
    if (!exchange.send(write.request))
        return std::nullopt;
    WriteVerification verification(write.kind, write.sentTo, write.readMac, write.written,
                                   write.before, sentAt);
    for (;;) {
        const std::optional<NetworkBlock> read =
            NetworkBlockOf(exchange.await(verification.readRequest(Clock::now())));
        std::optional<VerificationResult> verdict =
            read ? verification.onRead(*read, Clock::now()) : verification.onSilence();
        if (verdict) {
            checked.result = std::move(*verdict);
            checked.lines = VerdictLines(verification, checked.result);
            return checked;
        }
    }
}

Bytes NetworkWriteFrame(const MacAddress &mac, const NetworkBlock &block)
{
    return EncodeWriteNetworkRequest(mac, block.bytes());
}

Bytes DeviceWriteFrame(const MacAddress &mac, const DeviceBlock &block)
{
    const DeviceBody body = EncodeDeviceBody(block);
    return EncodeTunnelRequest(mac, BuildTunnelFrame(kTunnelWriteBlock, body));
}

} // namespace ktr::cli
