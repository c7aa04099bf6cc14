// Lab namespace checks and sockets opened in the other lab namespaces.
#include "tests/lab/support/lab_sockets.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "link/endpoints.h"

namespace ktr {
namespace {

constexpr int kLabReceiveBuffer = 1 << 20;

std::string NamespacePath(LabHost host)
{
    return "/run/netns/" + LabNamespace(host);
}

bool SameNamespace(const std::string &path)
{
    struct stat own
    {
    };
    struct stat other
    {
    };
    return ::stat("/proc/self/ns/net", &own) == 0 && ::stat(path.c_str(), &other) == 0 &&
           own.st_dev == other.st_dev && own.st_ino == other.st_ino;
}

} // namespace

bool InLabPc()
{
    return SameNamespace(NamespacePath(LabHost::Pc)) &&
           LocalIpv4Addresses() == std::vector<std::uint32_t>{kLabPc0, kLabPc1};
}

UdpSocket LabSocket(LabHost host, std::uint32_t address)
{
    UdpSocket s;
    std::thread([&] {
        const int ns = ::open(NamespacePath(host).c_str(), O_RDONLY | O_CLOEXEC);
        if (ns < 0)
            return;
        if (::setns(ns, CLONE_NEWNET) != 0 || !s.create() || !s.setBroadcast(true) ||
            !s.setReuseAddress(true) || !s.setReceiveBuffer(kLabReceiveBuffer) ||
            !s.bind(address, kPort))
            s.close();
        ::close(ns);
    }).join();
    return s;
}

std::vector<UdpSocket::Received> ReceiveUntilQuiet(const UdpSocket &socket,
                                                   std::chrono::milliseconds quiet)
{
    std::vector<UdpSocket::Received> received;
    for (;;) {
        pollfd p{socket.handle(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0)
            return received;
        for (ReceiveResult r = ReceiveDatagram(socket.handle());
             r.status == ReceiveStatus::Datagram; r = ReceiveDatagram(socket.handle()))
            received.push_back(std::move(r.datagram));
    }
}

} // namespace ktr
