// Writes that restart the device (network settings, MAC, factory reset) get no answer of their
// own. The tool checks them by reading the device again and gives a verdict only from what the
// reads show: the written values, the fields that differ, or that nothing came back.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ops/network_block.h"
#include "ops/pending_requests.h"

namespace ktr {

// How long the tool waits. A restarting device is asked again at a short interval, so that its
// first answer after the restart is taken a fraction of a second after it can give one; a
// silent device is given up ten seconds after the write.
inline constexpr Millis kReplyTimeout{1500};  // one attempt of a read or a device write
inline constexpr int kReplyRetries = 1;       // sends after the first
inline constexpr Millis kRestartWait{200};    // from the write to the first re-read
inline constexpr Millis kVerifyAttempt{200};  // between re-reads while the device restarts
inline constexpr Millis kVerifyGiveUp{10000}; // from the write to the end of the check

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

enum class WriteOutcome {
    TookEffect,     // the written values read back; a reset changed the record; a MAC moved
    Differs,        // the device answered with other values than written (see differences)
    NotTaken,       // a reset left the record as it was; a MAC write left the old MAC answering
    OldMacAnswers,  // the new MAC answers, and so does the old one
    OtherAtNewMac,  // the new MAC answers with a record that is not the device's
    Unconfirmed,    // a reset whose device was not read before: back, but no evidence
    DidNotComeBack, // no answer at all after the write: unknown whether it took
};

struct VerificationResult
{
    WriteOutcome outcome = WriteOutcome::DidNotComeBack;
    std::vector<FieldDifference> differences; // Differs: written against found
    std::optional<NetworkBlock> read;         // the record the verdict rests on
};

// The check of one write, from the moment it left. Without request numbers in the protocol an
// answer that still shows the record from before the write may be a late answer to a read sent
// before it, so it is no verdict while the check's window is open: the device is read again.
// A MAC write is done only when the new MAC answers with the device's record and then the old
// MAC stays silent.
class WriteVerification
{
public:
    // sentTo: the MAC the write was addressed to; readMac: the MAC the device answers to after
    // the restart (the new one for a MAC write). written: the settings sent, compared for a
    // network settings write. before: the device's record read before the write, when known.
    WriteVerification(RestartingWrite kind, const MacAddress &sentTo, const MacAddress &readMac,
                      const NetworkBlock &written, std::optional<NetworkBlock> before,
                      SteadyTime writtenAt);

    RestartingWrite kind() const { return kind_; }
    const MacAddress &sentTo() const { return sentTo_; }
    const MacAddress &readMac() const { return readMac_; }
    const NetworkBlock &written() const { return written_; }
    [[nodiscard]] const std::optional<NetworkBlock> &before() const { return before_; }
    // Until then an answer with the record from before the write is no verdict.
    SteadyTime windowEnd() const { return writtenAt_ + kVerifyGiveUp; }
    // The MAC whose answer the check waits for now: readMac, then, for a MAC write, the old one.
    const MacAddress &awaitedMac() const;
    // The read the check waits on next, for the caller to register; re-reads of the restarting
    // device go out from kRestartWait after the write until the window ends.
    PendingRequest readRequest(SteadyTime now) const;
    // An answer to that read. nullopt: no verdict yet, register readRequest() again.
    [[nodiscard]] std::optional<VerificationResult> onRead(const NetworkBlock &read,
                                                           SteadyTime now);
    // That read's last attempt went unanswered. nullopt: register readRequest() again.
    [[nodiscard]] std::optional<VerificationResult> onSilence();

private:
    enum class Phase { ReadBack, OldMacGone, OldMacStill };

    [[nodiscard]] std::optional<VerificationResult> onReadBack(const NetworkBlock &read,
                                                               SteadyTime now);
    // Shows the record from before the write in every field the page shows.
    bool unchanged(const NetworkBlock &read) const;

    RestartingWrite kind_;
    MacAddress sentTo_;
    MacAddress readMac_;
    NetworkBlock written_;
    std::optional<NetworkBlock> before_;
    SteadyTime writtenAt_;
    Phase phase_ = Phase::ReadBack;
    // The last answer that was no verdict while the window was open.
    std::optional<NetworkBlock> lastRead_;
};

} // namespace ktr
