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

#include "link/result.h"
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

[[nodiscard]] Result<Plan, std::string> ParsePlan(const nlohmann::ordered_json &json);

// The devices to configure, in MAC order, each with its assignments: the plan's own devices and,
// with "all_found", every device found; the common settings first, the device's own over them.
// Devices without an own static IP take the next one from the range, in MAC order, so that a
// re-run with the same devices gives each the same address. Fails when the range is too short.
[[nodiscard]] Result<std::vector<PlanDevice>, std::string>
ResolvePlan(const Plan &plan, const std::vector<MacAddress> &found);

// The plan that sets one device to exactly these settings.
nlohmann::ordered_json ExportPlan(const MacAddress &mac, const DeviceSettings &settings);

} // namespace ktr::cli
