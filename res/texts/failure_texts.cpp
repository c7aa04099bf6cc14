// The window's texts for failures of the network layer.
#include "res/texts/failure_texts.h"

#include "link/udp_socket.h"

namespace ktr {
namespace {

constexpr const char *kNoSystemText = "系统没有说明";

// The start-up box when the receive socket cannot have port 1901: without it no reply ever
// arrives, so the user is told why in plain words, with the system's own text and code for
// whoever has to find the program that holds the port.
std::string ReceivePortMessage(int osError)
{
    const std::string what =
        osError == AddressInUseError()
            ? "本机的 UDP 端口 1901 已被另一个程序占用，本软件收不到设备的回复。\n"
              "请关闭占用该端口的程序（也可能是已经打开的另一个本软件），然后重新打开本软件。"
            : "本软件无法使用本机的 UDP 端口 1901，收不到设备的回复。";
    // Some systems have no text for a socket error; the code alone still identifies it.
    const std::string systemText = SocketErrorText(osError);
    return what + "\n\n系统错误：" + (systemText.empty() ? kNoSystemText : systemText) +
           "（错误代码 " + std::to_string(osError) + "）";
}

} // namespace

std::string FailureMessage(NetFailure failure, int osError)
{
    switch (failure) {
    case NetFailure::StackStartup:
        return "网络编程启动出错";
    case NetFailure::ReceiveSocket:
        return "套接字错误,请检查错误并重新打开软件";
    case NetFailure::ReceiveBroadcast:
        return "设置规则失败1";
    case NetFailure::ReceiveReuse:
        return "设置规则失败2";
    case NetFailure::SlotSocket:
        return "套接字创建失败";
    case NetFailure::SlotBroadcast:
        return "设置socket规则失败";
    case NetFailure::SlotReuse:
        return "设置socket规则失败2";
    case NetFailure::ReceiveBind:
        return ReceivePortMessage(osError);
    case NetFailure::SlotBind:
        // The first number is what the bind call returned, always -1.
        return "绑定SOCKET出错 -1  错误代码 " + std::to_string(osError);
    case NetFailure::Send:
        return "端口被占用";
    case NetFailure::PortShared:
        return "端口1901已被其他程序占用：设备的应答可能被那个程序收走。请关闭其他配置软件后重新打"
               "开本软件";
    }
    return {};
}

} // namespace ktr
