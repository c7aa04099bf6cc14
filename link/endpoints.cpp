// The receive socket, the endpoint slots and the failure texts the window shows.
#include "link/endpoints.h"

#include <algorithm>

namespace ktr {
namespace {

// Runs the outcome of one set-up step through the reporter; true when it succeeded.
bool Succeeded(int error, NetFailure failure, const FailureReporter &report)
{
    if (error == 0)
        return true;
    if (report)
        report(failure, error);
    return false;
}

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
    return what + "\n\n系统错误：" + SocketErrorText(osError) + "（错误代码 " +
           std::to_string(osError) + "）";
}

// Opens the slot's socket on the address: broadcast and address reuse on, bound to port 1901.
// Stops at the first failing step; the slot then stays closed.
void OpenSlot(EndpointSlot &slot, std::uint32_t address, const FailureReporter &report)
{
    slot.socket.close();
    slot.open = false;
    slot.localAddress = address;
    UdpSocket &s = slot.socket;
    slot.open = Succeeded(s.create(), NetFailure::SlotSocket, report) &&
                Succeeded(s.setBroadcast(true), NetFailure::SlotBroadcast, report) &&
                Succeeded(s.setReuseAddress(true), NetFailure::SlotReuse, report) &&
                Succeeded(s.bind(address, kPort), NetFailure::SlotBind, report);
    if (!slot.open)
        s.close();
}

} // namespace

std::string LocalAddressText(const std::vector<std::uint32_t> &addresses)
{
    if (addresses.empty())
        return {};
    const std::uint32_t a = addresses.front();
    return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 0xFFu) + '.' +
           std::to_string((a >> 8) & 0xFFu) + '.' + std::to_string(a & 0xFFu);
}

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

bool PortHeldElsewhere(std::uint16_t port)
{
    // Address reuse lets two programs bind the port without a word, and the unicast replies
    // then go to one of them only. A bind without reuse tells whether someone holds it.
    UdpSocket probe;
    return probe.create() == 0 && probe.bind(0, port) != 0;
}

UdpSocket OpenReceiveSocket(const FailureReporter &report)
{
    // Asked before our own bind, which would hold the port too. Only a bind that succeeds next
    // to another holder is worth the warning: a failing one has its own message.
    const bool shared = PortHeldElsewhere(kPort);
    UdpSocket s;
    // Without a socket the option and bind steps could only fail again; they are skipped.
    if (!Succeeded(s.create(), NetFailure::ReceiveSocket, report))
        return s;
    Succeeded(s.setBroadcast(true), NetFailure::ReceiveBroadcast, report);
    Succeeded(s.setReuseAddress(true), NetFailure::ReceiveReuse, report);
    // A smaller queue still works, it only holds fewer replies; no message for it.
    s.setReceiveBuffer(kReceiveBufferBytes);
    // Without the bind no reply ever arrives: the user is told, with the bind message the
    // sending endpoints use, and the tool goes on.
    if (!Succeeded(s.bind(0, kPort), NetFailure::ReceiveBind, report))
        s.close();
    else if (shared && report)
        report(NetFailure::PortShared, 0);
    return s;
}

void Endpoints::refresh(const std::vector<std::uint32_t> &addresses, const FailureReporter &report)
{
    const int count = std::min(static_cast<int>(addresses.size()), kEndpointSlots);
    std::vector<int> renewed;
    std::vector<int> gone;
    for (int i = 0; i < kEndpointSlots; ++i) {
        const EndpointSlot &s = slots_[static_cast<std::size_t>(i)];
        if (i >= count) {
            if (s.open)
                gone.push_back(i);
        } else if (!(s.open && s.socket.isValid() &&
                     s.localAddress == addresses[static_cast<std::size_t>(i)])) {
            renewed.push_back(i);
        }
    }
    if (renewed.empty() && gone.empty())
        return;
    std::vector<int> leaving = renewed;
    leaving.insert(leaving.end(), gone.begin(), gone.end());
    // The receiver lets go of the sockets about to be closed before they are closed.
    if (listener_)
        listener_(openHandlesExcept(leaving));
    for (int i : gone) {
        EndpointSlot &s = slots_[static_cast<std::size_t>(i)];
        s.socket.close();
        s.open = false;
    }
    for (int i : renewed)
        OpenSlot(slots_[static_cast<std::size_t>(i)], addresses[static_cast<std::size_t>(i)],
                 report);
    if (listener_)
        listener_(openHandles());
}

int Endpoints::SendToAll(ByteView datagram, const FailureReporter &report)
{
    int sent = 0;
    for (EndpointSlot &s : slots_) {
        if (s.open && Succeeded(s.socket.sendTo(datagram, destination_, destinationPort_),
                                NetFailure::Send, report))
            ++sent;
    }
    return sent;
}

void Endpoints::closeAll()
{
    if (listener_)
        listener_({});
    for (EndpointSlot &s : slots_) {
        if (s.open)
            s.socket.close();
    }
}

void Endpoints::setDestination(std::uint32_t address, std::uint16_t port)
{
    destination_ = address;
    destinationPort_ = port;
}

std::vector<SocketHandle> Endpoints::openHandles() const
{
    return openHandlesExcept({});
}

std::vector<SocketHandle> Endpoints::openHandlesExcept(const std::vector<int> &leaving) const
{
    std::vector<SocketHandle> handles;
    for (int i = 0; i < kEndpointSlots; ++i) {
        const EndpointSlot &s = slots_[static_cast<std::size_t>(i)];
        if (s.open && s.socket.isValid() &&
            std::find(leaving.begin(), leaving.end(), i) == leaving.end())
            handles.push_back(s.socket.handle());
    }
    return handles;
}

} // namespace ktr
