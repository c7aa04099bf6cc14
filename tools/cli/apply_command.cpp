// ktr-cli apply: a plan for many devices, configured concurrently, with a report per device.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "ops/mac_text.h"
#include "ops/text_convert.h"
#include "tools/cli/apply_batch.h"
#include "tools/cli/arguments.h"
#include "tools/cli/commands.h"
#include "tools/cli/configure.h"
#include "tools/cli/exit_codes.h"
#include "tools/cli/interrupt.h"
#include "tools/cli/plan.h"
#include "tools/cli/text_table.h"

namespace ktr::cli {
namespace {

// Every value the plan names, and what the plan alone tells of its devices and their static IPs,
// checked before anything is sent; the failure says what is wrong.
Status<std::string> CheckPlan(const Plan &plan, const std::string &file)
{
    for (const PlanDevice &d : plan.devices) {
        if (const auto refusal = CheckAssignments(d.assignments))
            return Fail("设备 " + FormatMacDashed(d.mac) + ": " + refusal->text);
    }
    if (plan.allFound) {
        if (const auto refusal = CheckAssignments(*plan.allFound))
            return Fail("all_found: " + refusal->text);
    }
    if (const auto named = ResolvePlan(plan, {}); !named)
        return Fail(file + ": " + named.error());
    return Ok();
}

// Ctrl+C before the first write: the run ends saying so, with nothing on standard output.
int NothingWrittenInterrupted()
{
    std::cerr << "ktr-cli: 已中断: 没有写入任何设备\n";
    return kExitInterrupted;
}

// The devices on the LAN; the exit code after saying what failed. Settings for every device
// found need searches that agree, since the plan's devices are the ones heard; a plan naming
// its devices searches once, for the addresses in use.
Result<std::vector<SearchReply>, int> SearchForPlan(Session &session, const Plan &plan,
                                                    const ApplyOptions &options)
{
    const bool mustAgree = plan.allFound.has_value();
    const auto search =
        SearchUntilAgreed([&] { return Search(session, options.searchWait, InterruptRequested); },
                          mustAgree ? kAgreeingSearchLimit : 1, InterruptRequested);
    if (InterruptRequested())
        return Fail(NothingWrittenInterrupted());
    if (!search) {
        std::cerr << "ktr-cli: 搜索请求没有发出\n";
        return Fail(int{kExitNetwork});
    }
    // Replies the system dropped may be devices missing from the list, whichever searches
    // agreed: settings for every device found, and the free addresses of a range, cannot be
    // worked out from it.
    if (const std::uint64_t dropped = session.droppedReplies(); dropped > 0) {
        std::cerr << "ktr-cli: 搜索时接收队列已满, 系统丢弃了 " << dropped
                  << " 个应答: 设备列表可能不全, 没有写入任何设备\n";
        return Fail(int{kExitNoAnswer});
    }
    if (mustAgree && !search->agreed) {
        std::cerr << "ktr-cli: " << search->searches
                  << " 次搜索中没有连续两次找到相同的设备 (最后一次 " << search->devices.size()
                  << " 台), 结果不可靠, 没有写入任何设备\n";
        return Fail(int{kExitNoAnswer});
    }
    std::cerr << "搜索到 " << search->devices.size() << " 台设备 (搜索 " << search->searches
              << " 次)\n";
    std::vector<SearchReply> found;
    for (const FoundDevice &d : search->devices)
        found.push_back(d.reply);
    return found;
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

std::size_t Succeeded(const std::vector<DeviceResult> &results)
{
    return static_cast<std::size_t>(
        std::count_if(results.begin(), results.end(),
                      [](const DeviceResult &r) { return ExitCodeOf(r.outcome) == kExitOk; }));
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
    if (const auto checked = CheckPlan(plan.value(), options.planFile); !checked) {
        std::cerr << "ktr-cli: " << checked.error() << '\n';
        return kExitUsage;
    }
    // From here Ctrl+C ends the run with a word of what was done: during the search nothing has
    // been written; during the writes the table tells. Without the handler Ctrl+C ends the
    // program as before, only without the report.
    [[maybe_unused]] const bool caught = CatchInterrupt();
    FrameTrace trace(global.trace ? stderr : nullptr);
    Session session(trace);
    if (const auto opened = OpenSession(session, global); !opened)
        return opened.error();
    std::vector<SearchReply> found;
    if (PlanNeedsSearch(plan.value())) {
        auto searched = SearchForPlan(session, plan.value(), options);
        if (!searched)
            return searched.error();
        found = std::move(searched.value());
    }
    // The whole plan is worked out before the first write.
    const auto devices = ResolvePlan(plan.value(), found);
    if (!devices) {
        std::cerr << "ktr-cli: " << options.planFile << ": " << devices.error()
                  << "; 没有写入任何设备\n";
        return kExitUsage;
    }
    if (devices->empty()) {
        std::cerr << "ktr-cli: 计划中没有设备\n";
        return kExitNotFound;
    }
    if (InterruptRequested())
        return NothingWrittenInterrupted();

    const bool progress = IsTerminal(stderr);
    Exchange exchange(session);
    Batch batch(
        devices.value(), ParallelDevices(options.parallel, devices->size()),
        [&](const PlanDevice &d) {
            return Configure(exchange, d.mac, d.assignments, options.dryRun);
        },
        [progress](std::size_t finished, std::size_t total) {
            if (progress)
                std::cerr << "\r已处理 " << finished << "/" << total << " 台设备" << std::flush;
        });
    const BatchReport report = batch.wait(InterruptRequested);
    if (progress)
        std::cerr << '\n';
    PrintReport(report.results, options.json);
    const std::size_t good = Succeeded(report.results);
    if (report.interrupted) {
        const auto cut =
            std::count_if(report.results.begin(), report.results.end(),
                          [](const DeviceResult &r) { return r.outcome == Outcome::Interrupted; });
        std::cerr << "ktr-cli: 已中断: 共 " << devices->size() << " 台设备, 已处理 "
                  << report.results.size() - static_cast<std::size_t>(cut) << " 台 (成功 " << good
                  << " 台), 中断时正在配置 " << cut << " 台, 没有开始 " << report.notStarted
                  << " 台\n";
        // The devices in flight are not waited for: their verification can take seconds, and
        // the person asked to stop. The process ends here, with the workers.
        std::cout.flush();
        std::fflush(nullptr);
        std::_Exit(kExitInterrupted);
    }
    // Each result rests on an answer the device gave, so a reply lost here shows as a device
    // that did not answer; the count tells why.
    if (const std::uint64_t dropped = session.droppedReplies(); dropped > 0)
        std::cerr << "ktr-cli: 配置时接收队列已满, 系统丢弃了 " << dropped
                  << " 个应答: 没有应答的设备可再运行一次计划\n";
    std::cerr << ApplySummary(report.results, options.dryRun) << '\n';
    return good == report.results.size() ? kExitOk : kExitSomeFailed;
}

} // namespace ktr::cli
