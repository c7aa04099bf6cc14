// Writes that restart the device (network settings, MAC, factory reset) get no answer of their
// own. The tool checks them: once the device is back it reads the network settings again and
// says whether they took effect, which fields differ, or that the device did not come back.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ops/network_block.h"
#include "ops/pending_requests.h"

namespace ktr {

// How long the tool waits, chosen so that a device that restarts in about a second and a half
// is read back within three seconds, and a silent one is given up after ten.
inline constexpr Millis kReplyTimeout{1500};  // one attempt of a read or a device write
inline constexpr int kReplyRetries = 1;       // sends after the first
inline constexpr Millis kRestartWait{1000};   // from the write to the first re-read
inline constexpr Millis kVerifyAttempt{1000}; // between re-reads while the device restarts
inline constexpr Millis kVerifyGiveUp{10000}; // from the write to "did not come back"

enum class RestartingWrite { NetworkSettings, Mac, FactoryReset };

// One field the page shows, as written and as read back.
struct FieldDifference
{
    std::string field; // the page's label, e.g. "静态IP", "服务器3 目标端口"
    std::string written;
    std::string found;
};

// The fields of the page that differ between two records, in the page's order. The bytes the
// page does not show are not compared.
std::vector<FieldDifference> DifferingFields(const NetworkBlock &written, const NetworkBlock &read);

enum class WriteOutcome { TookEffect, Differs, DidNotComeBack };

struct VerificationResult
{
    WriteOutcome outcome = WriteOutcome::DidNotComeBack;
    std::vector<FieldDifference> differences;
};

// The check of one write, from the moment it left.
class WriteVerification
{
public:
    // readMac: the MAC the device answers to after the restart (the new one for a MAC write).
    // written: the settings sent; compared only for a network settings write. sentTo: the MAC
    // the write was addressed to, when someone is to follow the device to its new MAC.
    WriteVerification(RestartingWrite kind, const MacAddress &readMac, const NetworkBlock &written,
                      SteadyTime writtenAt, std::optional<MacAddress> sentTo = std::nullopt);

    RestartingWrite kind() const { return kind_; }
    const std::optional<MacAddress> &sentTo() const { return sentTo_; }
    const MacAddress &readMac() const { return readMac_; }
    // While true a read of this device would go unanswered.
    bool restarting(SteadyTime now) const { return now < writtenAt_ + kRestartWait; }
    // The re-reads: first after the restart wait, then again until the give-up time.
    PendingRequest readRequest() const;
    // The settings the device answered with after the restart.
    VerificationResult onRead(const NetworkBlock &read) const;

private:
    RestartingWrite kind_;
    std::optional<MacAddress> sentTo_;
    MacAddress readMac_;
    NetworkBlock written_;
    SteadyTime writtenAt_;
};

} // namespace ktr
