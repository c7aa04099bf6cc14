// Plans.
#include "tools/cli/plan.h"

#include <algorithm>
#include <map>
#include <set>

#include "ops/mac_text.h"
#include "ops/subnet_address.h"
#include "ops/text_convert.h"
#include "tools/cli/arguments.h"
#include "tools/parse_number.h"

namespace ktr::cli {
namespace {

constexpr const char *kDevices = "devices";
constexpr const char *kAllFound = "all_found";
constexpr const char *kStaticIpRange = "static_ip_range";
constexpr const char *kStaticIpKey = "static_ip";
constexpr const char *kSubnetMaskKey = "subnet_mask";
// The mask a range's addresses are checked against for a device whose mask the plan does not
// give: the common one, so that no x.x.x.0 or x.x.x.255 is handed out.
constexpr std::uint32_t kCommonMask = 0xFFFFFF00;

using Range = std::pair<std::uint32_t, std::uint32_t>;

[[nodiscard]] std::optional<Range> ParseRange(const std::string &text)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    const auto first = ParseIpv4(std::string_view(text).substr(0, dash));
    const auto last = ParseIpv4(std::string_view(text).substr(dash + 1));
    if (!first || !last || *last < *first)
        return std::nullopt;
    return Range{*first, *last};
}

bool InRange(const Range &range, std::uint32_t address)
{
    return address >= range.first && address <= range.second;
}

std::string Dashed(const MacAddress &mac)
{
    return FormatMacDashed(mac);
}

// The value the device is given for a field: the last one assigned, as when laid over the form.
const Assignment *Assigned(const std::vector<Assignment> &assignments, std::string_view key)
{
    const auto it = std::find_if(assignments.rbegin(), assignments.rend(),
                                 [key](const Assignment &a) { return a.key == key; });
    return it == assignments.rend() ? nullptr : &*it;
}

const Assignment *OwnStaticIp(const std::vector<Assignment> &assignments)
{
    return Assigned(assignments, kStaticIpKey);
}

// The subnet mask the plan gives the device; nullopt when it keeps its own (or the plan's text
// is no mask, which the write refuses).
[[nodiscard]] std::optional<std::uint32_t> PlannedMask(const std::vector<Assignment> &assignments)
{
    const Assignment *mask = Assigned(assignments, kSubnetMaskKey);
    return mask != nullptr ? ParseIpv4(mask->value) : std::nullopt;
}

// Hands out the range's addresses to the devices without an own static IP (in MAC order): a
// device already answering at an address of the range keeps it, the others take the lowest
// addresses that nobody answers at or is given. No device is handed its subnet's network or
// broadcast address, under the mask the plan gives it or, without one, the common mask.
Result<std::map<MacAddress, std::uint32_t>, std::string>
AssignFromRange(const Range &range, const std::map<MacAddress, std::uint32_t> &devices,
                const std::map<std::uint32_t, MacAddress> &claimed,
                const std::vector<SearchReply> &found)
{
    std::map<MacAddress, std::uint32_t> answersAt;
    std::set<std::uint32_t> taken;
    for (const auto &[address, mac] : claimed)
        taken.insert(address);
    for (const SearchReply &r : found) {
        answersAt.emplace(r.mac, r.ip);
        taken.insert(r.ip);
    }
    std::map<MacAddress, std::uint32_t> given;
    std::set<std::uint32_t> kept;
    for (const auto &[mac, mask] : devices) {
        const auto it = answersAt.find(mac);
        // Of two devices answering at one address (a conflict already on the LAN) the first
        // keeps it and the other takes a free one.
        if (it != answersAt.end() && InRange(range, it->second) && !claimed.contains(it->second) &&
            !UnusableStaticIp(it->second, mask) && kept.insert(it->second).second)
            given[mac] = it->second;
    }
    const auto heldByOthers = std::count_if(taken.begin(), taken.end(), [&](std::uint32_t a) {
        return InRange(range, a) && !kept.contains(a);
    });
    std::uint64_t lowestFree = range.first;
    for (const auto &[mac, mask] : devices) {
        if (given.contains(mac))
            continue;
        while (lowestFree <= range.second && taken.contains(static_cast<std::uint32_t>(lowestFree)))
            ++lowestFree;
        std::uint64_t next = lowestFree;
        while (next <= range.second && (taken.contains(static_cast<std::uint32_t>(next)) ||
                                        UnusableStaticIp(static_cast<std::uint32_t>(next), mask)))
            ++next;
        if (next > range.second) {
            std::string text =
                "static_ip_range 中的地址不够 " + std::to_string(devices.size()) + " 台设备使用";
            if (heldByOthers > 0)
                text += " (范围内 " +
                        std::to_string(std::uint64_t{range.second} - range.first + 1) +
                        " 个地址中 " + std::to_string(heldByOthers) + " 个已被其他设备占用)";
            return Fail(text);
        }
        given[mac] = static_cast<std::uint32_t>(next);
        taken.insert(static_cast<std::uint32_t>(next));
    }
    return given;
}

} // namespace

Result<Plan, std::string> ParsePlan(const nlohmann::ordered_json &json)
{
    if (!json.is_object())
        return Fail(std::string("计划文件应为JSON对象"));
    Plan plan;
    std::map<MacAddress, std::string> spelled;
    for (const auto &[key, value] : json.items()) {
        if (key == kDevices) {
            if (!value.is_object())
                return Fail(std::string("devices 应为以MAC地址为键的对象"));
            for (const auto &[macText, settings] : value.items()) {
                const auto mac = ParseMacArgument(macText);
                if (!mac)
                    return Fail("不是MAC地址: " + macText);
                const auto [earlier, added] = spelled.try_emplace(*mac, macText);
                if (!added)
                    return Fail("设备 " + Dashed(*mac) + " 在 devices 中出现了两次 (" +
                                earlier->second + " 与 " + macText + ")");
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

bool PlanNeedsSearch(const Plan &plan)
{
    return plan.allFound || plan.staticIpRange ||
           std::any_of(plan.devices.begin(), plan.devices.end(),
                       [](const PlanDevice &d) { return OwnStaticIp(d.assignments) != nullptr; });
}

Result<std::vector<PlanDevice>, std::string> ResolvePlan(const Plan &plan,
                                                         const std::vector<SearchReply> &found)
{
    std::map<MacAddress, std::vector<Assignment>> byMac;
    if (plan.allFound) {
        for (const SearchReply &r : found)
            byMac[r.mac] = *plan.allFound;
    }
    for (const PlanDevice &d : plan.devices) {
        std::vector<Assignment> &list = byMac[d.mac];
        if (list.empty() && plan.allFound)
            list = *plan.allFound;
        list.insert(list.end(), d.assignments.begin(), d.assignments.end());
    }

    // The static IPs the plan gives by name: each to one device, and none that another device
    // already answers at.
    std::map<std::uint32_t, MacAddress> claimed;
    std::map<MacAddress, std::uint32_t> fromRange; // each with the mask it is checked against
    for (const auto &[mac, assignments] : byMac) {
        const Assignment *own = OwnStaticIp(assignments);
        const std::optional<std::uint32_t> mask = PlannedMask(assignments);
        if (own == nullptr) {
            if (plan.staticIpRange)
                fromRange.emplace(mac, mask.value_or(kCommonMask));
            continue;
        }
        const auto address = ParseIpv4(own->value);
        if (!address)
            return Fail("设备 " + Dashed(mac) + " 的 static_ip 不是IPv4地址: " + own->value);
        // Without a mask in the plan the device keeps its own, which only the write knows.
        if (const auto why = mask ? UnusableStaticIp(*address, *mask) : std::nullopt)
            return Fail("设备 " + Dashed(mac) + " 的 static_ip " + *why);
        const auto [holder, added] = claimed.try_emplace(*address, mac);
        if (!added)
            return Fail("设备 " + Dashed(holder->second) + " 与设备 " + Dashed(mac) +
                        " 的 static_ip 都是 " + FormatDottedAddress(*address));
    }
    for (const SearchReply &r : found) {
        const auto it = claimed.find(r.ip);
        if (it != claimed.end() && it->second != r.mac)
            return Fail("设备 " + Dashed(it->second) + " 的 static_ip " +
                        FormatDottedAddress(r.ip) + " 已被搜索到的设备 " + Dashed(r.mac) + " 使用");
    }

    if (plan.staticIpRange) {
        const auto given = AssignFromRange(*plan.staticIpRange, fromRange, claimed, found);
        if (!given)
            return Fail(given.error());
        for (const auto &[mac, address] : given.value())
            byMac[mac].push_back({kStaticIpKey, FormatDottedAddress(address)});
    }
    std::vector<PlanDevice> devices;
    for (auto &[mac, assignments] : byMac)
        devices.push_back({mac, std::move(assignments)});
    return devices;
}

nlohmann::ordered_json ExportPlan(const MacAddress &mac, const DeviceSettings &settings)
{
    nlohmann::ordered_json plan;
    plan[kDevices][FormatMacDashed(mac)] = SettingsJson(settings, false);
    return plan;
}

} // namespace ktr::cli
