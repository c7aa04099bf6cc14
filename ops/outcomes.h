// What the user is told about each request that waits for an answer: sent or not, answered or
// not, and what a write that restarts the device did.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ops/commands.h"
#include "ops/pending_requests.h"
#include "ops/write_verification.h"

namespace ktr {

// Said when a command found no open endpoint to leave through.
inline constexpr std::string_view kNothingSentLine =
    "没有可用的网络接口，命令没有发出：请检查网线和本机IP地址后重新搜索";

// Said when a read is held back until the device has restarted after our own write.
inline constexpr std::string_view kWaitingForRestartLine = "设备正在重启，等设备重新上线后读取...";

// A request that expects an answer from the selected device, sent once now and once more after
// kReplyTimeout.
PendingRequest AwaitFromDevice(const MacAddress &mac, Awaited awaited, Purpose purpose,
                               Bytes request);
// Registers what a just-sent request waits for; a request that went out nowhere waits for
// nothing.
void AwaitReply(Ui &ui, PendingRequest request, int sent);

// The check of a write that restarts the device is started once the write went out: the write
// was addressed to sentTo, the device answers to readMac after the restart. before: the
// device's record read before the write, when the tool has it.
void StartVerification(Ui &ui, RestartingWrite kind, const MacAddress &sentTo,
                       const MacAddress &readMac, const NetworkBlock &written,
                       std::optional<NetworkBlock> before);
// The check under way that waits for an answer from this MAC, if any.
const WriteVerification *VerificationOf(const AppState &state, const MacAddress &mac);

// The lines that tell the user a check's verdict, shared by the window and the command line.
std::vector<std::string> VerdictLines(const WriteVerification &v, const VerificationResult &result);

// The answer to a pending re-read: a verdict in the message text, or another re-read. True
// when the record read is to be shown on the network page (the page waits for it, or a reset
// of the device on the page took effect).
bool ReportVerification(Ui &ui, const MacAddress &mac, const NetworkBlock &read);
// A request whose last attempt went unanswered, in the message text.
void ReportNoAnswer(Ui &ui, const PendingRequest &request);

} // namespace ktr
