// ktr-cli: the command-line companion of ktr-setup.
#include <CLI/CLI.hpp>
#include <iostream>

#include "tools/cli/commands.h"
#include "tools/cli/exit_codes.h"
#include "tools/parse_number.h"

#ifndef KTR_VERSION
#define KTR_VERSION "0"
#endif

namespace {

using namespace ktr::cli;

constexpr const char *kExitCodes = R"(退出码:
  0  完成 (写入已验证)
  1  写入没有生效: 设备读回的值与写入的不同
  2  命令行或参数值错误, 没有发送任何数据
  3  没有搜索到设备, 或指定的设备不存在
  4  设备没有应答, 或重启后没有恢复
  5  没有可用的网络接口, 或套接字无法打开
  6  批量操作中部分设备失败)";

// --interface: a dotted IPv4 address of this host.
CLI::Validator InterfaceAddress()
{
    return CLI::Validator(
        [](std::string &text) {
            return ktr::ParseIpv4(text) ? std::string() : "不是IPv4地址: " + text;
        },
        "ADDR");
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

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }
    if (!interfaceText.empty())
        global.interfaceAddress = ktr::ParseIpv4(interfaceText);

    if (searchChosen) {
        searchOptions.wait = std::chrono::milliseconds(waitMs);
        return RunSearch(global, searchOptions);
    }
    return kExitUsage;
}
