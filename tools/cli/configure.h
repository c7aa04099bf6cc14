// One device brought to the wanted settings: read, overlaid exactly as the pages do, checked,
// written only where something changes, and verified by reading back.
#pragma once

#include <string>
#include <vector>

#include "tools/cli/exchange.h"
#include "tools/cli/settings.h"

namespace ktr::cli {

enum class Outcome {
    Done,        // written and read back as wanted
    Unchanged,   // already in the wanted state: nothing written
    DryRun,      // the write frames were prepared, not sent
    Refused,     // a value its field cannot hold: nothing written
    NoAnswer,    // the device did not answer a read
    NotBack,     // written, but the device did not come back after its restart
    Differs,     // written, but the device reports other values
    Interrupted, // the run was cut short while the device was being configured
};

struct DeviceResult
{
    MacAddress mac{};
    // The static IP after the run when it is known; after a dry run the one the run would give.
    std::uint32_t ip = 0;
    Outcome outcome = Outcome::NoAnswer;
    std::string detail;               // the refusal or what failed, for people
    std::vector<FieldChange> changes; // Done / DryRun: what was written; Differs: what differs
    std::vector<Bytes> frames;        // DryRun: the write requests
};

// Reads the records the assignments touch, overlays, checks, writes what changes and reads it
// back. The device record is written before the network record, whose write restarts the
// device.
DeviceResult Configure(Exchange &exchange, const MacAddress &mac,
                       const std::vector<Assignment> &assignments, bool dryRun);

// The exit code of one device's outcome.
int ExitCodeOf(Outcome outcome);
// "完成", "无需修改", ...: the outcome in the report.
std::string OutcomeText(Outcome outcome);
// "done", "unchanged", ...: the outcome in JSON.
std::string OutcomeKey(Outcome outcome);
// The last line of a batch run: how many devices were done and how many failed, or for a dry
// run how many would be changed and how many are already as planned.
std::string ApplySummary(const std::vector<DeviceResult> &results, bool dryRun);

} // namespace ktr::cli
