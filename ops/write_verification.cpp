// Checking a write that restarts the device by reading its settings back.
#include "ops/write_verification.h"

#include "ops/ansi_text.h"
#include "ops/text_convert.h"

namespace ktr {
namespace {

void Compare(std::vector<FieldDifference> &out, std::string field, std::string written,
             std::string found)
{
    if (written != found)
        out.push_back({std::move(field), std::move(written), std::move(found)});
}

std::string IpModeText(const NetworkBlock &block)
{
    return block.isStaticIp() ? "StaticIP" : "DHCP/autoIP";
}

} // namespace

std::vector<FieldDifference> DifferingFields(const NetworkBlock &written, const NetworkBlock &read)
{
    std::vector<FieldDifference> out;
    for (int n = 0; n < kServerCount; ++n) {
        const std::string name = "服务器" + std::to_string(n + 1) + " ";
        const ConstServerSlot w = written.server(n);
        const ConstServerSlot r = read.server(n);
        Compare(out, name + "目标端口", std::to_string(w.targetPort()),
                std::to_string(r.targetPort()));
        Compare(out, name + "目标地址", AnsiToUtf8(w.targetAddress()),
                AnsiToUtf8(r.targetAddress()));
        Compare(out, name + "本地端口", std::to_string(w.localPort()),
                std::to_string(r.localPort()));
    }
    const std::pair<const char *, AddressField> addresses[] = {
        {"静态IP", AddressField::StaticIp},
        {"子网掩码", AddressField::SubnetMask},
        {"网关地址", AddressField::Gateway},
    };
    for (const auto &[label, field] : addresses)
        Compare(out, label, FormatDottedAddress(written.address(field)),
                FormatDottedAddress(read.address(field)));
    Compare(out, "IP获取方式", IpModeText(written), IpModeText(read));
    Compare(out, "最大连接数量", std::to_string(written.maxConnections()),
            std::to_string(read.maxConnections()));
    return out;
}

WriteVerification::WriteVerification(RestartingWrite kind, const MacAddress &readMac,
                                     const NetworkBlock &written, SteadyTime writtenAt,
                                     std::optional<MacAddress> sentTo)
    : kind_(kind)
    , sentTo_(sentTo)
    , readMac_(readMac)
    , written_(written)
    , writtenAt_(writtenAt)
{
}

PendingRequest WriteVerification::readRequest() const
{
    PendingRequest r;
    r.key = {readMac_, Awaited::NetworkBlock};
    r.purpose = Purpose::VerifyWrite;
    r.request = EncodeReadNetworkRequest(readMac_);
    r.sendAt = writtenAt_ + kRestartWait;
    r.attemptTimeout = kVerifyAttempt;
    r.giveUpAt = writtenAt_ + kVerifyGiveUp;
    return r;
}

VerificationResult WriteVerification::onRead(const NetworkBlock &read) const
{
    VerificationResult result;
    if (kind_ == RestartingWrite::NetworkSettings)
        result.differences = DifferingFields(written_, read);
    result.outcome = result.differences.empty() ? WriteOutcome::TookEffect : WriteOutcome::Differs;
    return result;
}

} // namespace ktr
