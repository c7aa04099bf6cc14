// ktr-cli get, export, set, mac and reset: one device each.
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

#include "ops/form_fields.h"
#include "ops/frame_description.h"
#include "ops/mac_guard.h"
#include "ops/mac_text.h"
#include "ops/text_convert.h"
#include "tools/cli/advice.h"
#include "tools/cli/arguments.h"
#include "tools/cli/commands.h"
#include "tools/cli/configure.h"
#include "tools/cli/device_io.h"
#include "tools/cli/exit_codes.h"
#include "tools/cli/plan.h"
#include "tools/cli/strict_json.h"
#include "tools/cli/text_table.h"

namespace ktr::cli {
namespace {

std::string Mac(const MacAddress &mac)
{
    return FormatMacDashed(mac);
}

// Both records of the device, or what went wrong.
Result<DeviceSettings, std::string> ReadSettings(Exchange &exchange, const MacAddress &mac)
{
    const Records read = ReadRecords(exchange, mac, true, true);
    if (!read.network || !read.device)
        return Fail("设备 " + Mac(mac) + " 没有应答" + (read.network ? "读取设备参数" : "") + ": " +
                    kNoAnswerAdvice);
    return SettingsOf(mac, *read.network, *read.device);
}

template <typename Form>
void AddRows(const std::vector<FormField<Form>> &fields, const Form &form,
             std::vector<std::vector<std::string>> &rows)
{
    for (const FormField<Form> &field : fields)
        rows.push_back({field.key, field.label, FieldValue(field, form)});
}

void PrintChanges(const std::vector<FieldChange> &changes, const char *wantedHeading,
                  const char *foundHeading)
{
    std::vector<std::vector<std::string>> rows{{"字段", "名称", wantedHeading, foundHeading}};
    for (const FieldChange &c : changes)
        rows.push_back({c.key, c.label, c.wanted, c.found});
    std::cout << FormatTable(rows);
}

void PrintResult(const DeviceResult &result)
{
    switch (result.outcome) {
    case Outcome::Done:
        std::cout << "设备 " << Mac(result.mac) << " 参数已写入并读回验证:\n";
        PrintChanges(result.changes, "新值", "原值");
        break;
    case Outcome::Unchanged:
        std::cout << "设备 " << Mac(result.mac) << " 已是所要的参数, 没有写入\n";
        break;
    case Outcome::DryRun:
        std::cout << "将写入 (未发送):\n";
        PrintChanges(result.changes, "新值", "原值");
        for (const Bytes &frame : result.frames)
            std::cout << DescribeFrame(frame) << "  [" << frame.size() << "] " << HexBytes(frame)
                      << '\n';
        break;
    case Outcome::Differs:
        std::cerr << "ktr-cli: 设备 " << Mac(result.mac) << ": " << result.detail << '\n';
        PrintChanges(result.changes, "写入", "读回");
        break;
    case Outcome::NoAnswer:
        std::cerr << "ktr-cli: 设备 " << Mac(result.mac) << ": " << result.detail << ": "
                  << kNoAnswerAdvice << '\n';
        break;
    case Outcome::Refused:
    case Outcome::NotBack:
    case Outcome::Interrupted:
        std::cerr << "ktr-cli: 设备 " << Mac(result.mac) << ": " << result.detail << '\n';
        break;
    }
}

// The assignments of the command line and of the settings file, checked before anything is
// sent; the failure says what is wrong.
Result<std::vector<Assignment>, std::string> CollectAssignments(const SetOptions &options)
{
    std::vector<Assignment> assignments;
    if (!options.file.empty()) {
        const auto json = ReadJsonFile(options.file);
        if (!json)
            return Fail(json.error());
        nlohmann::ordered_json object = json.value();
        // A file written by `get --json` names its device; it must be this one.
        if (object.is_object() && object.contains("mac")) {
            const auto named = object["mac"].is_string()
                                   ? ParseMacArgument(object["mac"].get<std::string>())
                                   : std::nullopt;
            if (named != options.mac)
                return Fail(options.file + " 中的 mac 不是设备 " + Mac(options.mac));
            object.erase("mac");
        }
        auto fromFile = AssignmentsFromJson(object);
        if (!fromFile)
            return Fail(options.file + ": " + fromFile.error());
        assignments = fromFile.value();
    }
    for (const std::string &text : options.assignments) {
        const auto a = ParseAssignment(text);
        if (!a)
            return Fail("应为 字段=值: " + text);
        assignments.push_back(*a);
    }
    if (assignments.empty())
        return Fail(std::string("没有要设置的字段"));
    if (const auto refusal = CheckAssignments(assignments))
        return Fail(refusal->text);
    return assignments;
}

// Runs the command's steps on an open session; the exit code of the steps, or of the failure to
// open the session.
int WithExchange(const GlobalOptions &global, const std::function<int(Exchange &)> &steps)
{
    FrameTrace trace(global.trace ? stderr : nullptr);
    Session session(trace);
    if (const auto opened = OpenSession(session, global); !opened)
        return opened.error();
    Exchange exchange(session);
    return steps(exchange);
}

// Reads both records of the device and shows them.
int ShowSettings(const GlobalOptions &global, const MacAddress &mac,
                 const std::function<void(const DeviceSettings &)> &show)
{
    return WithExchange(global, [&](Exchange &exchange) {
        const auto settings = ReadSettings(exchange, mac);
        if (!settings) {
            std::cerr << "ktr-cli: " << settings.error() << '\n';
            return int{kExitNoAnswer};
        }
        show(*settings);
        return int{kExitOk};
    });
}

// A check made once the device has answered and before the write goes out: kExitOk to go on,
// or the exit code after saying why not.
using WriteCheck = std::function<int(Exchange &)>;

// A write that restarts the device, after a read shows that the device is there.
int RestartingCommand(const GlobalOptions &global, const MacAddress &mac, RestartingWrite kind,
                      const MacAddress &readMac, const Bytes &request, const std::string &done,
                      const WriteCheck &check = {})
{
    return WithExchange(global, [&](Exchange &exchange) {
        // The record before the write is what the check compares the device's answers with.
        const std::optional<NetworkBlock> before = ReadNetwork(exchange, mac);
        if (!before) {
            std::cerr << "ktr-cli: 设备 " << Mac(mac) << " 没有应答, 没有写入: " << kNoAnswerAdvice
                      << '\n';
            return int{kExitNoAnswer};
        }
        if (check) {
            if (const int code = check(exchange); code != kExitOk)
                return code;
        }
        const std::optional<CheckedWrite> checked =
            WriteAndVerify(exchange, {kind, mac, readMac, request, *before, before});
        if (!checked) {
            std::cerr << "ktr-cli: 没有可用的网络接口, 命令没有发出\n";
            return int{kExitNetwork};
        }
        const VerificationResult &result = checked->result;
        if (result.outcome == WriteOutcome::TookEffect) {
            std::cout << done << ", 设备已重新上线, IP "
                      << FormatDottedAddress(result.read->address(AddressField::StaticIp)) << '\n';
            return int{kExitOk};
        }
        for (const std::string &line : checked->lines)
            std::cerr << "ktr-cli: " << line << '\n';
        return int{result.outcome == WriteOutcome::DidNotComeBack ? kExitNoAnswer : kExitFailed};
    });
}

} // namespace

Result<nlohmann::ordered_json, std::string> ReadJsonFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Fail("无法打开 " + path);
    std::stringstream text;
    text << in.rdbuf();
    auto json = ParseStrictJson(text.str());
    if (!json)
        return Fail(path + ": " + json.error());
    return json.value();
}

int RunGet(const GlobalOptions &global, const DeviceOptions &options)
{
    return ShowSettings(global, options.mac, [&](const DeviceSettings &settings) {
        if (options.json) {
            std::cout << SettingsJson(settings, true).dump(2) << '\n';
            return;
        }
        std::vector<std::vector<std::string>> rows{{"字段", "名称", "值"}};
        AddRows(NetworkFields(), settings.network, rows);
        AddRows(DeviceFields(), settings.device, rows);
        std::cout << FormatTable(rows);
    });
}

int RunExport(const GlobalOptions &global, const DeviceOptions &options)
{
    return ShowSettings(global, options.mac, [&](const DeviceSettings &settings) {
        std::cout << ExportPlan(options.mac, settings).dump(2) << '\n';
    });
}

int RunSet(const GlobalOptions &global, const SetOptions &options)
{
    const auto assignments = CollectAssignments(options);
    if (!assignments) {
        std::cerr << "ktr-cli: " << assignments.error() << '\n';
        return kExitUsage;
    }
    return WithExchange(global, [&](Exchange &exchange) {
        const DeviceResult result = Configure(exchange, options.mac, *assignments, options.dryRun);
        PrintResult(result);
        return ExitCodeOf(result.outcome);
    });
}

int RunMac(const GlobalOptions &global, const MacAddress &mac, const MacAddress &newMac)
{
    if (const auto refusal = CheckNewMac(mac, newMac)) {
        std::cerr << "ktr-cli: " << MacRefusalText(*refusal, newMac) << '\n';
        return kExitUsage;
    }
    // With no search behind it, the command asks the LAN itself: a read addressed to the new
    // MAC must go unanswered (after its retry), or two devices would share one MAC.
    const WriteCheck newMacIsFree = [&](Exchange &exchange) {
        if (!ReadNetwork(exchange, newMac))
            return int{kExitOk};
        std::cerr << "ktr-cli: "
                  << MacRefusalText(MacRefusal::HeldByAnother, newMac, "局域网上的另一台设备")
                  << '\n';
        return int{kExitUsage};
    };
    return RestartingCommand(global, mac, RestartingWrite::Mac, newMac,
                             EncodeWriteMacRequest(mac, newMac),
                             "MAC地址已由 " + Mac(mac) + " 改为 " + Mac(newMac), newMacIsFree);
}

int RunReset(const GlobalOptions &global, const ResetOptions &options)
{
    if (!options.yes) {
        if (!IsTerminal(stdin)) {
            std::cerr << "ktr-cli: 恢复出厂设置需要确认: 请在终端上运行, 或加 --yes\n";
            return kExitUsage;
        }
        std::cerr << "确定要把设备 " << Mac(options.mac) << " 恢复出厂设置吗? [y/N] ";
        std::string answer;
        std::getline(std::cin, answer);
        if (answer != "y" && answer != "Y" && answer != "yes") {
            std::cerr << "没有恢复出厂设置\n";
            return kExitOk;
        }
    }
    return RestartingCommand(global, options.mac, RestartingWrite::FactoryReset, options.mac,
                             EncodeFactoryResetRequest(options.mac), "已恢复出厂设置");
}

} // namespace ktr::cli
