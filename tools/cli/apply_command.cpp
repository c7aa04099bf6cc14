// ktr-cli apply: a plan for many devices, configured concurrently, with a report per device.
#include <algorithm>
#include <atomic>
#include <iostream>
#include <mutex>
#include <thread>

#include "ops/mac_text.h"
#include "ops/text_convert.h"
#include "tools/cli/arguments.h"
#include "tools/cli/commands.h"
#include "tools/cli/configure.h"
#include "tools/cli/exit_codes.h"
#include "tools/cli/plan.h"
#include "tools/cli/text_table.h"

namespace ktr::cli {
namespace {

// The plan's devices with their assignments; nullopt after saying what is wrong.
std::optional<std::vector<PlanDevice>> PlannedDevices(const Plan &plan, Session &session,
                                                      const ApplyOptions &options)
{
    std::vector<MacAddress> found;
    if (plan.allFound) {
        const auto devices = Search(session, options.searchWait);
        if (!devices) {
            std::cerr << "ktr-cli: 搜索请求没有发出\n";
            return std::nullopt;
        }
        for (const FoundDevice &d : *devices)
            found.push_back(d.reply.mac);
        std::cerr << "搜索到 " << found.size() << " 台设备\n";
    }
    auto devices = ResolvePlan(plan, found);
    if (!devices) {
        std::cerr << "ktr-cli: " << devices.error() << '\n';
        return std::nullopt;
    }
    return devices.value();
}

// Configures every device, at most `parallel` at a time; results in the plan's order.
std::vector<DeviceResult> ConfigureAll(Exchange &exchange, const std::vector<PlanDevice> &devices,
                                       const ApplyOptions &options)
{
    std::vector<DeviceResult> results(devices.size());
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> finished{0};
    std::mutex progressMutex;
    const bool progress = IsTerminal(stderr);
    auto worker = [&] {
        for (std::size_t i; (i = next++) < devices.size();) {
            results[i] =
                Configure(exchange, devices[i].mac, devices[i].assignments, options.dryRun);
            const std::size_t done = ++finished;
            if (progress) {
                std::lock_guard lock(progressMutex);
                std::cerr << "\r已处理 " << done << "/" << devices.size() << " 台设备"
                          << std::flush;
            }
        }
    };
    const std::size_t count = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(options.parallel, 1)), devices.size());
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < count; ++i)
        workers.emplace_back(worker);
    for (std::thread &t : workers)
        t.join();
    if (progress && !devices.empty())
        std::cerr << '\n';
    return results;
}

std::string ChangedKeys(const DeviceResult &r)
{
    std::string keys;
    for (const FieldChange &c : r.changes)
        keys += (keys.empty() ? "" : ",") + c.key;
    return keys;
}

void PrintReport(const std::vector<DeviceResult> &results, bool json)
{
    if (json) {
        for (const DeviceResult &r : results) {
            nlohmann::ordered_json line;
            line["mac"] = FormatMacDashed(r.mac);
            line["ip"] = r.ip != 0 ? FormatDottedAddress(r.ip) : "";
            line["outcome"] = OutcomeKey(r.outcome);
            auto changes = nlohmann::ordered_json::array();
            for (const FieldChange &c : r.changes)
                changes.push_back({{"field", c.key}, {"wanted", c.wanted}, {"found", c.found}});
            line["changes"] = changes;
            line["detail"] = r.detail;
            std::cout << line.dump() << '\n';
        }
        return;
    }
    std::vector<std::vector<std::string>> rows{{"MAC地址", "静态IP", "结果", "字段", "说明"}};
    for (const DeviceResult &r : results)
        rows.push_back({FormatMacDashed(r.mac), r.ip != 0 ? FormatDottedAddress(r.ip) : "-",
                        OutcomeText(r.outcome), ChangedKeys(r), r.detail});
    std::cout << FormatTable(rows);
}

} // namespace

int RunApply(const GlobalOptions &global, const ApplyOptions &options)
{
    const auto json = ReadJsonFile(options.planFile);
    if (!json) {
        std::cerr << "ktr-cli: " << json.error() << '\n';
        return kExitUsage;
    }
    const auto plan = ParsePlan(json.value());
    if (!plan) {
        std::cerr << "ktr-cli: " << options.planFile << ": " << plan.error() << '\n';
        return kExitUsage;
    }
    // Every value the plan names is checked before anything is sent.
    for (const PlanDevice &d : plan.value().devices) {
        if (const auto refusal = CheckAssignments(d.assignments)) {
            std::cerr << "ktr-cli: 设备 " << FormatMacDashed(d.mac) << ": " << refusal->text
                      << '\n';
            return kExitUsage;
        }
    }
    if (plan.value().allFound) {
        if (const auto refusal = CheckAssignments(*plan.value().allFound)) {
            std::cerr << "ktr-cli: all_found: " << refusal->text << '\n';
            return kExitUsage;
        }
    }
    FrameTrace trace(global.trace ? stderr : nullptr);
    Session session(trace);
    if (!OpenSession(session, global))
        return kExitNetwork;
    const auto devices = PlannedDevices(plan.value(), session, options);
    if (!devices)
        return kExitUsage;
    if (devices->empty()) {
        std::cerr << "ktr-cli: 计划中没有设备\n";
        return kExitNotFound;
    }
    std::vector<DeviceResult> results;
    {
        Exchange exchange(session);
        results = ConfigureAll(exchange, *devices, options);
    }
    PrintReport(results, options.json);
    const std::size_t good = static_cast<std::size_t>(
        std::count_if(results.begin(), results.end(),
                      [](const DeviceResult &r) { return ExitCodeOf(r.outcome) == kExitOk; }));
    std::cerr << "共 " << results.size() << " 台设备, 成功 " << good << " 台, 失败 "
              << results.size() - good << " 台\n";
    return good == results.size() ? kExitOk : kExitSomeFailed;
}

} // namespace ktr::cli
