// ktr-cli: the command-line companion of ktr-setup.
#include <CLI/CLI.hpp>
#include <iostream>

#include "tools/cli/arguments.h"
#include "tools/cli/commands.h"
#include "tools/cli/exit_codes.h"
#include "tools/parse_number.h"

#ifndef KTR_VERSION
#define KTR_VERSION "0"
#endif

namespace {

using namespace ktr::cli;
using ktr::MacAddress;

constexpr const char *kExitCodes = R"(退出码:
  0  完成 (写入已验证)
  1  写入没有生效: 设备读回的值与写入的不同
  2  命令行或参数值错误, 没有发送任何数据
  3  没有搜索到设备, 或计划中没有设备
  4  设备没有应答, 或重启后没有恢复; 或计划的搜索结果不一致或不全
  5  没有可用的网络接口, 或套接字无法打开
  6  批量操作中部分设备失败
  130  apply 被 Ctrl+C 中断 (列出已处理的设备和正在配置的设备))";

// --interface: a dotted IPv4 address of this host.
CLI::Validator InterfaceAddress()
{
    return CLI::Validator(
        [](std::string &text) {
            return ktr::ParseIpv4(text) ? std::string() : "不是IPv4地址: " + text;
        },
        "ADDR");
}

// A device's MAC address, dashed or as twelve digits.
CLI::Validator MacAddressText()
{
    return CLI::Validator(
        [](std::string &text) {
            return ParseMacArgument(text) ? std::string() : "不是MAC地址: " + text;
        },
        "MAC");
}

void AddSearch(CLI::App &app, SearchOptions &options, int &waitMs, bool &chosen)
{
    CLI::App *search = app.add_subcommand(
        "search", "在每个接口 (或 --interface 指定的接口) 上广播搜索, 列出应答的设备, 每台一行, "
                  "按IP排序");
    search->add_option("--wait", waitMs, "等待应答的时间, 毫秒 (默认 1500)")
        ->check(CLI::Range(1, 600000));
    search->add_flag("--json", options.json, "以JSON输出");
    search->footer("没有搜索到设备时退出码为 3.");
    search->callback([&chosen] { chosen = true; });
}

// The MAC of a device and the result's form, shared by get and export.
void AddDeviceCommand(CLI::App &app, const char *name, const char *description, std::string &mac,
                      bool *json)
{
    CLI::App *command = app.add_subcommand(name, description);
    command->add_option("MAC", mac, "设备的MAC地址, 如 00-0E-EB-12-34-56")
        ->required()
        ->check(MacAddressText());
    if (json)
        command->add_flag("--json", *json, "以JSON输出 (字段名见 man ktr-cli)");
}

} // namespace

int main(int argc, char **argv)
{
    CLI::App app{"KTR-4410-HT-LAN 温湿度设备的命令行配置工具", "ktr-cli"};
    app.set_version_flag("--version", std::string("ktr-cli ") + KTR_VERSION);
    app.require_subcommand(1);
    app.fallthrough();
    app.footer(kExitCodes);

    GlobalOptions global;
    std::string interfaceText;
    app.add_flag("--trace", global.trace,
                 "把每个发送和接收的帧 (时间, 十六进制, 含义) 写到标准错误");
    app.add_option("--interface", interfaceText, "只在本机的这个地址上发送")
        ->check(InterfaceAddress());

    SearchOptions searchOptions;
    int waitMs = static_cast<int>(kDefaultSearchWait.count());
    bool searchChosen = false;
    AddSearch(app, searchOptions, waitMs, searchChosen);

    std::string mac;
    std::string newMac;
    DeviceOptions deviceOptions;
    AddDeviceCommand(app, "get", "读取设备的网络参数和设备参数, 每个字段一行 (或JSON)", mac,
                     &deviceOptions.json);
    AddDeviceCommand(app, "export",
                     "把设备的全部参数写成计划文件 (JSON) 到标准输出, 可再用 apply 写入", mac,
                     nullptr);

    SetOptions setOptions;
    CLI::App *set = app.add_subcommand(
        "set", "读取设备, 像参数页一样改写给出的字段, 检查后写入, 设备重启后读回验证");
    set->add_option("MAC", mac, "设备的MAC地址")->required()->check(MacAddressText());
    set->add_option("FIELD=VALUE", setOptions.assignments, "要改写的字段, 如 static_ip=10.0.0.5");
    set->add_option("--file", setOptions.file, "从JSON文件读取字段 (get --json 的输出也可以)")
        ->check(CLI::ExistingFile);
    set->add_flag("--dry-run", setOptions.dryRun, "只读取并显示要发送的帧, 不写入");
    set->footer("参数错误时什么也不发送, 退出码 2; 写入没有生效时列出不同的字段, 退出码 1.");

    ApplyOptions applyOptions;
    CLI::App *apply = app.add_subcommand(
        "apply", "按计划文件配置多台设备, 并发进行, 每台读回验证, 最后列出每台的结果");
    apply->add_option("PLAN", applyOptions.planFile, "计划文件 (JSON)")
        ->required()
        ->check(CLI::ExistingFile);
    apply->add_option("--parallel", applyOptions.parallel, "同时配置的设备数 (默认 16)")
        ->check(CLI::Range(1, 4096));
    apply
        ->add_option("--wait", waitMs,
                     "写入前每次搜索 (all_found, static_ip, static_ip_range) 等待应答的时间, 毫秒 "
                     "(默认 1500)")
        ->check(CLI::Range(1, 600000));
    apply->add_flag("--dry-run", applyOptions.dryRun, "只读取并列出要改的字段, 不写入");
    apply->add_flag("--json", applyOptions.json, "每台设备的结果输出为一行JSON");
    apply->footer("已是计划中参数的设备不会写入. 有设备失败时退出码 6.");

    CLI::App *macCommand =
        app.add_subcommand("mac", "给设备写入新的MAC地址, 重启后用新MAC读回验证");
    macCommand->add_option("MAC", mac, "设备现在的MAC地址")->required()->check(MacAddressText());
    macCommand->add_option("NEW-MAC", newMac, "新的MAC地址")->required()->check(MacAddressText());

    ResetOptions resetOptions;
    CLI::App *reset =
        app.add_subcommand("reset", "让设备恢复出厂设置, 重启后读回验证; 在终端上先询问");
    reset->add_option("MAC", mac, "设备的MAC地址")->required()->check(MacAddressText());
    reset->add_flag("--yes", resetOptions.yes, "不询问 (不在终端上运行时必须给出)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }
    if (!interfaceText.empty())
        global.interfaceAddress = ktr::ParseIpv4(interfaceText);
    const MacAddress device = ParseMacArgument(mac).value_or(MacAddress{});

    if (searchChosen) {
        searchOptions.wait = std::chrono::milliseconds(waitMs);
        return RunSearch(global, searchOptions);
    }
    if (app.got_subcommand("get") || app.got_subcommand("export")) {
        deviceOptions.mac = device;
        return app.got_subcommand("get") ? RunGet(global, deviceOptions)
                                         : RunExport(global, deviceOptions);
    }
    if (app.got_subcommand(set)) {
        setOptions.mac = device;
        return RunSet(global, setOptions);
    }
    if (app.got_subcommand(apply)) {
        applyOptions.searchWait = std::chrono::milliseconds(waitMs);
        return RunApply(global, applyOptions);
    }
    if (app.got_subcommand(macCommand))
        return RunMac(global, device, ParseMacArgument(newMac).value_or(MacAddress{}));
    if (app.got_subcommand(reset)) {
        resetOptions.mac = device;
        return RunReset(global, resetOptions);
    }
    return kExitUsage;
}
