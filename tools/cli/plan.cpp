// Plans.
#include "tools/cli/plan.h"

#include <algorithm>
#include <map>

#include "ops/mac_text.h"
#include "ops/text_convert.h"
#include "tools/cli/arguments.h"
#include "tools/parse_number.h"

namespace ktr::cli {
namespace {

constexpr const char *kDevices = "devices";
constexpr const char *kAllFound = "all_found";
constexpr const char *kStaticIpRange = "static_ip_range";
constexpr const char *kStaticIpKey = "static_ip";

std::optional<std::pair<std::uint32_t, std::uint32_t>> ParseRange(const std::string &text)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    const auto first = ParseIpv4(std::string_view(text).substr(0, dash));
    const auto last = ParseIpv4(std::string_view(text).substr(dash + 1));
    if (!first || !last || *last < *first)
        return std::nullopt;
    return std::pair{*first, *last};
}

bool HasKey(const std::vector<Assignment> &assignments, const std::string &key)
{
    return std::any_of(assignments.begin(), assignments.end(),
                       [&](const Assignment &a) { return a.key == key; });
}

} // namespace

Result<Plan, std::string> ParsePlan(const nlohmann::ordered_json &json)
{
    if (!json.is_object())
        return Fail(std::string("计划文件应为JSON对象"));
    Plan plan;
    for (const auto &[key, value] : json.items()) {
        if (key == kDevices) {
            if (!value.is_object())
                return Fail(std::string("devices 应为以MAC地址为键的对象"));
            for (const auto &[macText, settings] : value.items()) {
                const auto mac = ParseMacArgument(macText);
                if (!mac)
                    return Fail("不是MAC地址: " + macText);
                auto assignments = AssignmentsFromJson(settings);
                if (!assignments)
                    return Fail(macText + ": " + assignments.error());
                plan.devices.push_back({*mac, assignments.value()});
            }
        } else if (key == kAllFound) {
            auto assignments = AssignmentsFromJson(value);
            if (!assignments)
                return Fail(std::string("all_found: ") + assignments.error());
            plan.allFound = assignments.value();
        } else if (key == kStaticIpRange) {
            plan.staticIpRange =
                value.is_string() ? ParseRange(value.get<std::string>()) : std::nullopt;
            if (!plan.staticIpRange)
                return Fail(
                    std::string("static_ip_range 应为如 192.168.1.100-192.168.1.199 的地址范围"));
        } else {
            return Fail("计划文件中没有 " + key + " 这一项");
        }
    }
    return plan;
}

Result<std::vector<PlanDevice>, std::string> ResolvePlan(const Plan &plan,
                                                         const std::vector<MacAddress> &found)
{
    std::map<MacAddress, std::vector<Assignment>> byMac;
    if (plan.allFound) {
        for (const MacAddress &mac : found)
            byMac[mac] = *plan.allFound;
    }
    for (const PlanDevice &d : plan.devices) {
        std::vector<Assignment> &list = byMac[d.mac];
        if (list.empty() && plan.allFound)
            list = *plan.allFound;
        list.insert(list.end(), d.assignments.begin(), d.assignments.end());
    }
    std::vector<PlanDevice> devices;
    std::uint64_t next = plan.staticIpRange ? plan.staticIpRange->first : 0;
    for (auto &[mac, assignments] : byMac) {
        if (plan.staticIpRange && !HasKey(assignments, kStaticIpKey)) {
            if (next > plan.staticIpRange->second)
                return Fail("static_ip_range 中的地址不够 " + std::to_string(byMac.size()) +
                            " 台设备使用");
            assignments.push_back(
                {kStaticIpKey, FormatDottedAddress(static_cast<std::uint32_t>(next++))});
        }
        devices.push_back({mac, std::move(assignments)});
    }
    return devices;
}

nlohmann::ordered_json ExportPlan(const MacAddress &mac, const DeviceSettings &settings)
{
    nlohmann::ordered_json plan;
    plan[kDevices][FormatMacDashed(mac)] = SettingsJson(settings, false);
    return plan;
}

} // namespace ktr::cli
