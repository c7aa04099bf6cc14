// A settings plan for many devices: settings per MAC address, settings for every device a search
// finds ("all_found"), and a range from which each device takes its own static IP. The file that
// `export` writes is a plan for one device.
//
//   {
//     "all_found": { "subnet_mask": "255.255.255.0", "server1_target_port": "502" },
//     "static_ip_range": "192.168.1.100-192.168.1.199",
//     "devices": { "00-0E-EB-00-00-01": { "gateway": "192.168.1.254" } }
//   }
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/result.h"
#include "ops/search_reply.h"
#include "tools/cli/settings.h"

namespace ktr::cli {

struct PlanDevice
{
    MacAddress mac{};
    std::vector<Assignment> assignments;
};

struct Plan
{
    std::vector<PlanDevice> devices;                                      // named in the plan
    std::optional<std::vector<Assignment>> allFound;                      // for every device found
    std::optional<std::pair<std::uint32_t, std::uint32_t>> staticIpRange; // first, last
};

// Reads the plan's members. A device named twice (also in two spellings of its MAC) is refused:
// which of its settings were meant cannot be told.
[[nodiscard]] Result<Plan, std::string> ParsePlan(const nlohmann::ordered_json &json);

// Whether the plan needs a search before anything is written: for "all_found", and wherever it
// gives static IPs, to know which addresses the devices on the LAN already hold.
bool PlanNeedsSearch(const Plan &plan);

// The devices to configure, in MAC order, each with its assignments: the plan's own devices and,
// with "all_found", every device found; the common settings first, the device's own over them.
// `found` is what the search heard (MAC and the address each device answers at); without a
// search it is empty, which checks what the plan alone tells.
//
// Static IPs never collide: two devices given one address, or an address that another found
// device answers at, are refused. Devices without an own static IP take theirs from the range:
// a device already answering at an address of the range keeps it, the others take the free
// addresses in ascending order, in MAC order. So a re-run of a plan finds every device at its
// address and changes nothing, and a device missed by one run does not move the others in the
// next. No device is given its subnet's network or broadcast address under the mask the plan
// gives it (a range skips them, without a mask in the plan those of 255.255.255.0; a named
// static IP is refused). Fails when the range has too few free addresses.
[[nodiscard]] Result<std::vector<PlanDevice>, std::string>
ResolvePlan(const Plan &plan, const std::vector<SearchReply> &found);

// The plan that sets one device to exactly these settings.
nlohmann::ordered_json ExportPlan(const MacAddress &mac, const DeviceSettings &settings);

} // namespace ktr::cli
