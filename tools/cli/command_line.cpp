// The command line, its help in Chinese, and the parser's failures put in the program's words.
#include "tools/cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tools/cli/apply_batch.h"
#include "tools/cli/arguments.h"
#include "tools/cli/exit_codes.h"
#include "tools/parse_number.h"

#ifndef KTR_VERSION
#define KTR_VERSION "0"
#endif

namespace ktr::cli {
namespace {

constexpr const char *kExitCodes = R"(退出码:
  0  完成 (写入已验证)
  1  写入没有生效: 设备读回的值与写入的不同
  2  命令行或参数值错误, 没有发送任何数据
  3  没有搜索到设备, 或计划中没有设备
  4  设备没有应答, 或重启后没有恢复; 或计划的搜索结果不一致或不全
  5  没有可用的网络接口, 或套接字无法打开
  6  批量操作中部分设备失败
  130  apply 被 Ctrl+C 中断 (列出已处理的设备和正在配置的设备))";

constexpr const char *kOptionsGroup = "选项";
constexpr const char *kCommandsGroup = "命令";

// A check of an option's text before it is converted, so that every refusal is in Chinese; the
// text returned is the refusal, empty when the value passes.
CLI::Validator Check(std::function<std::string(const std::string &)> refusal)
{
    return CLI::Validator([refusal](std::string &text) { return refusal(text); }, "");
}

CLI::Validator WholeNumber(long low, long high)
{
    return Check([low, high](const std::string &text) {
        if (ParseNumber<long>(text, low, high))
            return std::string();
        return "应为" + std::to_string(low) + "-" + std::to_string(high) + "的整数, 不是 " + text;
    });
}

CLI::Validator ReadableFile()
{
    return Check([](const std::string &text) {
        std::error_code error;
        const auto status = std::filesystem::status(text, error);
        if (!std::filesystem::exists(status))
            return "文件不存在: " + text;
        if (std::filesystem::is_directory(status))
            return "是目录, 不是文件: " + text;
        return std::string();
    });
}

// --interface: a dotted IPv4 address of this host.
CLI::Validator InterfaceAddress()
{
    return Check([](const std::string &text) {
        return ParseIpv4(text) ? std::string() : "不是IPv4地址: " + text;
    });
}

// A device's MAC address, dashed or as twelve digits.
CLI::Validator MacAddressText()
{
    return Check([](const std::string &text) {
        return ParseMacArgument(text) ? std::string() : "不是MAC地址: " + text;
    });
}

// The options of the commands, read straight into the command line's members.
class Builder
{
public:
    Builder(CLI::App &app, CommandLine &line)
        : app_(app)
        , line_(line)
    {
    }

    void build()
    {
        app_.set_help_flag("-h,--help", "显示帮助并退出");
        app_.set_version_flag("--version", std::string("ktr-cli ") + KTR_VERSION, "显示版本并退出");
        // A path like /home/plan.json is a path on every system, never an option "/home".
        app_.allow_windows_style_options(false);
        app_.require_subcommand(1);
        app_.fallthrough();
        app_.footer(kExitCodes);
        app_.add_flag("--trace", line_.global.trace,
                      "把每个发送和接收的帧 (时间, 十六进制, 含义) 写到标准错误");
        app_.add_option("--interface", interfaceText_, "只在本机的这个地址上发送")
            ->type_name("ADDR")
            ->check(InterfaceAddress());
        addSearch();
        addDeviceCommand(Command::Get, "get", "读取设备的网络参数和设备参数, 每个字段一行 (或JSON)")
            ->add_flag("--json", line_.device.json, "以JSON输出 (字段名见 man ktr-cli)");
        addDeviceCommand(Command::Export, "export",
                         "把设备的全部参数写成计划文件 (JSON) 到标准输出, 可再用 apply 写入");
        addSet();
        addApply();
        CLI::App *mac =
            addDeviceCommand(Command::Mac, "mac", "给设备写入新的MAC地址, 重启后用新MAC读回验证");
        mac->add_option("NEW-MAC", newMac_, "新的MAC地址")
            ->required()
            ->type_name("MAC")
            ->check(MacAddressText());
        CLI::App *reset = addDeviceCommand(Command::Reset, "reset",
                                           "让设备恢复出厂设置, 重启后读回验证; 在终端上先询问");
        reset->add_flag("--yes", line_.reset.yes, "不询问 (不在终端上运行时必须给出)");
        app_.get_formatter()->label("Usage", "用法");
        app_.get_formatter()->label("Positionals", "参数");
        app_.get_formatter()->label("OPTIONS", "选项");
        app_.get_formatter()->label("SUBCOMMAND", "命令");
        app_.get_formatter()->label("REQUIRED", "");
        groupOptions(app_);
    }

    // Completes the command line once the parser has accepted it.
    CommandLine finish()
    {
        if (!interfaceText_.empty())
            line_.global.interfaceAddress = ParseIpv4(interfaceText_);
        const MacAddress device = ParseMacArgument(mac_).value_or(MacAddress{});
        line_.device.mac = device;
        line_.set.mac = device;
        line_.reset.mac = device;
        line_.newMac = ParseMacArgument(newMac_).value_or(MacAddress{});
        line_.search.wait = std::chrono::milliseconds(waitMs_);
        line_.apply.searchWait = std::chrono::milliseconds(waitMs_);
        if (parallel_ > 0)
            line_.apply.parallel = parallel_;
        return line_;
    }

private:
    CLI::App *command(Command which, const char *name, const char *description)
    {
        CLI::App *sub = app_.add_subcommand(name, description);
        sub->group(kCommandsGroup);
        sub->callback([this, which] { line_.command = which; });
        return sub;
    }

    void addWait(CLI::App &sub, const char *description)
    {
        sub.add_option("--wait", waitMs_, description)
            ->type_name("MS")
            ->check(WholeNumber(1, 600000));
    }

    void addSearch()
    {
        CLI::App *search = command(Command::Search, "search",
                                   "在每个接口 (或 --interface 指定的接口) 上广播搜索, "
                                   "列出应答的设备, 每台一行, 按IP排序");
        addWait(*search, "等待应答的时间, 毫秒 (默认 1500)");
        search->add_flag("--json", line_.search.json, "以JSON输出");
        search->footer("没有搜索到设备时退出码为 3.");
    }

    CLI::App *addDeviceCommand(Command which, const char *name, const char *description)
    {
        CLI::App *sub = command(which, name, description);
        sub->add_option("MAC", mac_, "设备的MAC地址, 如 00-0E-EB-12-34-56 或 000EEB123456")
            ->required()
            ->type_name("MAC")
            ->check(MacAddressText());
        return sub;
    }

    void addSet()
    {
        CLI::App *set = addDeviceCommand(
            Command::Set, "set",
            "读取设备, 像参数页一样改写给出的字段, 检查后写入, 设备重启后读回验证");
        set->add_option("FIELD=VALUE", line_.set.assignments, "要改写的字段, 如 static_ip=10.0.0.5")
            ->type_name("");
        set->add_option("--file", line_.set.file, "从JSON文件读取字段 (get --json 的输出也可以)")
            ->type_name("FILE")
            ->check(ReadableFile());
        set->add_flag("--dry-run", line_.set.dryRun, "只读取并显示要发送的帧, 不写入");
        set->footer("参数错误时什么也不发送, 退出码 2; 写入没有生效时列出不同的字段, 退出码 1.");
    }

    void addApply()
    {
        CLI::App *apply =
            command(Command::Apply, "apply",
                    "按计划文件配置多台设备, 并发进行, 每台读回验证, 最后列出每台的结果");
        apply->add_option("PLAN", line_.apply.planFile, "计划文件 (JSON)")
            ->required()
            ->type_name("FILE")
            ->check(ReadableFile());
        apply
            ->add_option("--parallel", parallel_,
                         "同时配置的设备数 (默认: 计划中的全部设备, 最多 " +
                             std::to_string(kDefaultParallelLimit) + " 台)")
            ->type_name("N")
            ->check(WholeNumber(1, 4096));
        addWait(*apply, "写入前每次搜索 (all_found, static_ip, static_ip_range) 等待应答的时间, "
                        "毫秒 (默认 1500)");
        apply->add_flag("--dry-run", line_.apply.dryRun, "只读取并列出要改的字段, 不写入");
        apply->add_flag("--json", line_.apply.json, "每台设备的结果输出为一行JSON");
        apply->footer("已是计划中参数的设备不会写入. 有设备失败时退出码 6.");
    }

    // Every option of the program and of its commands is listed under one Chinese heading.
    static void groupOptions(CLI::App &app)
    {
        for (CLI::Option *option : app.get_options()) {
            if (!option->get_positional())
                option->group(kOptionsGroup);
        }
        for (CLI::App *sub : app.get_subcommands([](CLI::App *) { return true; }))
            groupOptions(*sub);
    }

    CLI::App &app_;
    CommandLine &line_;
    std::string interfaceText_;
    std::string mac_;
    std::string newMac_;
    int waitMs_ = static_cast<int>(kDefaultSearchWait.count());
    int parallel_ = 0;
};

std::vector<std::string> CommandNames(const CLI::App &app)
{
    std::vector<std::string> names;
    for (const CLI::App *sub : app.get_subcommands([](const CLI::App *) { return true; }))
        names.push_back(sub->get_name());
    return names;
}

std::string Joined(const std::vector<std::string> &names, const char *separator)
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : separator) + name;
    return text;
}

// The word the parser could not place: an unknown command or option.
std::string UnknownWord(const std::string &word, const CLI::App &app)
{
    if (word.starts_with("-"))
        return "没有选项 " + word;
    if (const auto nearest = NearestName(word, CommandNames(app)))
        return "没有命令 " + word + ", 是要用 " + *nearest + " 吗?";
    return "没有命令 " + word + ", 命令有 " + Joined(CommandNames(app), "、");
}

// "NAME is required" and its kin: the text after the name.
std::string NameBefore(const std::string &what, const std::string &suffix)
{
    return what.ends_with(suffix) ? what.substr(0, what.size() - suffix.size()) : what;
}

// The parser's failure in the program's words.
std::string FailureText(const CLI::ParseError &e, const CLI::App &app)
{
    const std::string what = e.what();
    const std::vector<std::string> extra = app.remaining(true);
    if (dynamic_cast<const CLI::RequiredError *>(&e) != nullptr) {
        if (what == "A subcommand is required")
            return extra.empty() ? "请给出命令: " + Joined(CommandNames(app), "、")
                                 : UnknownWord(extra.front(), app);
        return "缺少 " + NameBefore(what, " is required");
    }
    if (dynamic_cast<const CLI::ExtrasError *>(&e) != nullptr) {
        if (!extra.empty() && extra.front().starts_with("-"))
            return "没有选项 " + extra.front();
        return "多余的参数: " + (extra.empty() ? NameBefore(what, "") : Joined(extra, " "));
    }
    if (dynamic_cast<const CLI::ArgumentMismatch *>(&e) != nullptr) {
        const std::size_t colon = what.find(':');
        return (colon == std::string::npos ? what : what.substr(0, colon)) + " 需要一个值";
    }
    // The checks above give their refusal in Chinese, after the option's name.
    if (dynamic_cast<const CLI::ValidationError *>(&e) != nullptr)
        return what;
    return "命令行错误: " + what;
}

// The command whose help the message points to: the one being read when the parser stopped.
std::string HelpHint(const CLI::App &app)
{
    const std::vector<CLI::App *> parsed = app.get_subcommands();
    const std::string command = parsed.empty() ? "" : parsed.front()->get_name() + " ";
    return "用法见 ktr-cli " + command + "--help";
}

} // namespace

Result<CommandLine, CommandLineExit> ParseCommandLine(const std::vector<std::string> &args)
{
    CommandLine line;
    CLI::App app{"KTR-4410-HT-LAN 温湿度设备的命令行配置工具", "ktr-cli"};
    Builder builder(app, line);
    builder.build();
    std::vector<const char *> argv{"ktr-cli"};
    for (const std::string &arg : args)
        argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::Success &e) {
        std::ostringstream out;
        std::ostringstream err;
        app.exit(e, out, err);
        return Fail(CommandLineExit{kExitOk, out.str(), err.str()});
    } catch (const CLI::ParseError &e) {
        return Fail(CommandLineExit{
            kExitUsage, {}, "ktr-cli: " + FailureText(e, app) + "\n" + HelpHint(app) + "\n"});
    }
    return builder.finish();
}

int RunCommandLine(const CommandLine &line)
{
    switch (line.command) {
    case Command::Search:
        return RunSearch(line.global, line.search);
    case Command::Get:
        return RunGet(line.global, line.device);
    case Command::Export:
        return RunExport(line.global, line.device);
    case Command::Set:
        return RunSet(line.global, line.set);
    case Command::Apply:
        return RunApply(line.global, line.apply);
    case Command::Mac:
        return RunMac(line.global, line.device.mac, line.newMac);
    case Command::Reset:
        return RunReset(line.global, line.reset);
    }
    return kExitUsage;
}

std::optional<std::string> NearestName(std::string_view word, const std::vector<std::string> &names)
{
    // Optimal string alignment distance: a swap of two neighbouring letters counts one.
    const auto distance = [](std::string_view a, std::string_view b) {
        std::vector<std::vector<std::size_t>> d(a.size() + 1,
                                                std::vector<std::size_t>(b.size() + 1));
        for (std::size_t i = 0; i <= a.size(); ++i)
            d[i][0] = i;
        for (std::size_t j = 0; j <= b.size(); ++j)
            d[0][j] = j;
        for (std::size_t i = 1; i <= a.size(); ++i) {
            for (std::size_t j = 1; j <= b.size(); ++j) {
                const std::size_t changed = a[i - 1] == b[j - 1] ? 0 : 1;
                d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + changed});
                if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                    d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
        return d[a.size()][b.size()];
    };
    std::string nearest;
    std::size_t best = 0;
    for (const std::string &name : names) {
        const std::size_t d = distance(word, name);
        if (nearest.empty() || d < best) {
            nearest = name;
            best = d;
        }
    }
    // Two slips at most, and fewer than the word has letters: "xy" is no misspelt "get".
    if (nearest.empty() || best > 2 || best >= word.size())
        return std::nullopt;
    return nearest;
}

} // namespace ktr::cli
