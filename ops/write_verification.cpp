// Checking a write that restarts the device by reading its settings back.
#include "ops/write_verification.h"

#include <algorithm>

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

WriteVerification::WriteVerification(RestartingWrite kind, const MacAddress &sentTo,
                                     const MacAddress &readMac, const NetworkBlock &written,
                                     std::optional<NetworkBlock> before, SteadyTime writtenAt)
    : kind_(kind)
    , sentTo_(sentTo)
    , readMac_(readMac)
    , written_(written)
    , before_(std::move(before))
    , writtenAt_(writtenAt)
{
}

const MacAddress &WriteVerification::awaitedMac() const
{
    return phase_ == Phase::ReadBack ? readMac_ : sentTo_;
}

PendingRequest WriteVerification::readRequest(SteadyTime now) const
{
    PendingRequest r;
    r.key = {awaitedMac(), Awaited::NetworkBlock};
    r.purpose = Purpose::VerifyWrite;
    r.request = EncodeReadNetworkRequest(awaitedMac());
    if (phase_ == Phase::ReadBack) {
        r.sendAt = std::max(now, writtenAt_ + kRestartWait);
        r.attemptTimeout = kVerifyAttempt;
        r.giveUpAt = writtenAt_ + kVerifyGiveUp;
    } else {
        // The old MAC is asked as any read is: once, and once more after the reply timeout.
        r.sendAt = now;
        r.attemptTimeout = kReplyTimeout;
        r.retries = kReplyRetries;
    }
    return r;
}

bool WriteVerification::unchanged(const NetworkBlock &read) const
{
    return before_ && DifferingFields(*before_, read).empty();
}

std::optional<VerificationResult> WriteVerification::onRead(const NetworkBlock &read,
                                                            SteadyTime now)
{
    switch (phase_) {
    case Phase::ReadBack:
        return onReadBack(read, now);
    case Phase::OldMacGone:
        return VerificationResult{WriteOutcome::OldMacAnswers, {}, lastRead_};
    case Phase::OldMacStill:
        return VerificationResult{WriteOutcome::NotTaken, {}, read};
    }
    return std::nullopt;
}

std::optional<VerificationResult> WriteVerification::onReadBack(const NetworkBlock &read,
                                                                SteadyTime now)
{
    const bool windowOpen = now < windowEnd();
    switch (kind_) {
    case RestartingWrite::NetworkSettings: {
        std::vector<FieldDifference> differences = DifferingFields(written_, read);
        if (differences.empty())
            return VerificationResult{WriteOutcome::TookEffect, {}, read};
        if (unchanged(read) && windowOpen)
            break;
        return VerificationResult{WriteOutcome::Differs, std::move(differences), read};
    }
    case RestartingWrite::FactoryReset:
        if (!before_)
            return VerificationResult{WriteOutcome::Unconfirmed, {}, read};
        if (!unchanged(read))
            return VerificationResult{WriteOutcome::TookEffect, {}, read};
        if (windowOpen)
            break;
        return VerificationResult{WriteOutcome::NotTaken, {}, read};
    case RestartingWrite::Mac:
        // Another device that holds the new MAC would answer with its own record.
        if (before_ && !unchanged(read))
            return VerificationResult{WriteOutcome::OtherAtNewMac, {}, read};
        phase_ = Phase::OldMacGone;
        break;
    }
    lastRead_ = read;
    return std::nullopt;
}

std::optional<VerificationResult> WriteVerification::onSilence()
{
    switch (phase_) {
    case Phase::ReadBack:
        if (lastRead_) {
            // The window closed on answers that still showed the record from before the write.
            if (kind_ == RestartingWrite::NetworkSettings)
                return VerificationResult{WriteOutcome::Differs,
                                          DifferingFields(written_, *lastRead_), lastRead_};
            return VerificationResult{WriteOutcome::NotTaken, {}, lastRead_};
        }
        if (kind_ != RestartingWrite::Mac)
            return VerificationResult{};
        // The new MAC never answered: is the device still at its old one?
        phase_ = Phase::OldMacStill;
        return std::nullopt;
    case Phase::OldMacGone:
        return VerificationResult{WriteOutcome::TookEffect, {}, lastRead_};
    case Phase::OldMacStill:
        return VerificationResult{};
    }
    return VerificationResult{};
}

} // namespace ktr
