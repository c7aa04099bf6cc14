#include "app/start_options.h"

#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

#ifndef KTR_VERSION
#define KTR_VERSION "0"
#endif

namespace ktr {
namespace {

// A Windows GUI program has no console of its own: the text goes to the console of the command
// prompt it was started from, when there is one.
std::FILE *ConsoleOf(std::FILE *out)
{
#ifdef _WIN32
    if (out == stdout && AttachConsole(ATTACH_PARENT_PROCESS) != 0) {
        if (std::FILE *console = std::freopen("CONOUT$", "w", stdout))
            return console;
    }
#endif
    return out;
}

} // namespace

std::string SetupHelpText()
{
    return "用法: ktr-setup [选项]\n"
           "在局域网上搜索 KTR-4410-HT-LAN 温湿度设备, 读取和写入它们的网络参数和设备参数.\n"
           "\n"
           "选项:\n"
           "  -h, --help   显示帮助并退出\n"
           "  --version    显示版本并退出\n"
           "\n"
           "批量配置请用命令行工具 ktr-cli; 详见 man ktr-setup.\n";
}

std::optional<int> AnswerWithoutWindow(int argc, const char *const *argv, std::FILE *out)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(SetupHelpText().c_str(), ConsoleOf(out));
            return 0;
        }
        if (arg == "--version") {
            std::fputs("ktr-setup " KTR_VERSION "\n", ConsoleOf(out));
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace ktr
