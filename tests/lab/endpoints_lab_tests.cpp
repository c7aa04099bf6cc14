// The endpoints and the receiver on the virtual lab's two segments, seen from the devices' side
// through plain sockets opened in the device namespaces.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <sched.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "link/endpoints.h"
#include "link/receiver_thread.h"
#include "tests/lab/support/lab_env.h"

namespace ktr {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

constexpr auto kQuiet = 300ms;

std::string NamespacePath(LabHost host)
{
    return "/run/netns/" + LabNamespace(host);
}

// True when this process runs in the lab's PC namespace. Everything here broadcasts, which
// must never happen anywhere else.
bool InLabPc()
{
    struct stat own
    {
    };
    struct stat pc
    {
    };
    return ::stat("/proc/self/ns/net", &own) == 0 &&
           ::stat(NamespacePath(LabHost::Pc).c_str(), &pc) == 0 && own.st_dev == pc.st_dev &&
           own.st_ino == pc.st_ino;
}

// A device-side socket on port 1901 in another lab namespace: a short-lived thread enters the
// namespace just to create it; the socket stays there and this process uses it from here.
// Bound to 0.0.0.0 it hears broadcasts; bound to the device's address it sends as a device
// does (a limited broadcast needs the source address to pick its interface: there are no
// routes in the lab).
UdpSocket DeviceSocket(LabHost host, std::uint32_t address = 0)
{
    UdpSocket s;
    std::thread([&] {
        const int ns = ::open(NamespacePath(host).c_str(), O_RDONLY | O_CLOEXEC);
        if (ns < 0)
            return;
        if (::setns(ns, CLONE_NEWNET) == 0 && s.create() == 0 && s.setBroadcast(true) == 0 &&
            s.setReuseAddress(true) == 0 && s.setReceiveBuffer(1 << 20) == 0 &&
            s.bind(address, kPort) != 0)
            s.close();
        ::close(ns);
    }).join();
    return s;
}

std::vector<UdpSocket::Received> ReceiveUntilQuiet(const UdpSocket &socket)
{
    std::vector<UdpSocket::Received> received;
    for (;;) {
        pollfd p{socket.handle(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(kQuiet.count())) <= 0)
            return received;
        for (ReceiveResult r = ReceiveDatagram(socket.handle());
             r.status == ReceiveStatus::Datagram; r = ReceiveDatagram(socket.handle()))
            received.push_back(std::move(r.datagram));
    }
}

class Collected
{
public:
    ReceiverThread::Deliver deliver()
    {
        return [this](Bytes b) {
            std::lock_guard lock(mutex_);
            datagrams_.push_back(std::move(b));
        };
    }
    std::vector<Bytes> afterQuiet() const
    {
        std::this_thread::sleep_for(kQuiet);
        std::lock_guard lock(mutex_);
        return datagrams_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Bytes> datagrams_;
};

class EndpointsLab : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!InLabPc())
            GTEST_SKIP() << "not inside the lab's PC namespace (run through scripts/lab exec)";
    }

    FailureReporter reporter()
    {
        return [this](NetFailure f, int e) {
            failures.push_back(FailureMessage(f, e));
        };
    }

    std::vector<std::string> failures;
};

TEST_F(EndpointsLab, LocalAddressesAreThePcInterfacesInOrder)
{
    EXPECT_THAT(LocalIpv4Addresses(), ElementsAre(kLabPc0, kLabPc1));
    EXPECT_EQ(LocalAddressText(LocalIpv4Addresses()), "10.77.1.10");
}

TEST_F(EndpointsLab, SendToAllReachesEachSegmentOnceFromItsOwnAddress)
{
    UdpSocket segment1 = DeviceSocket(LabHost::Dev);
    UdpSocket segment2 = DeviceSocket(LabHost::Dev2);
    ASSERT_TRUE(segment1.isValid() && segment2.isValid());
    Endpoints endpoints;
    endpoints.refresh(LocalIpv4Addresses(), reporter());
    ASSERT_EQ(endpoints.openHandles().size(), 2u);
    EXPECT_EQ(endpoints.slot(0).localAddress, kLabPc0);
    EXPECT_EQ(endpoints.slot(1).localAddress, kLabPc1);

    const Bytes search = EncodeSearchRequest();
    endpoints.SendToAll(search, reporter());

    EXPECT_THAT(failures, ::testing::IsEmpty());
    const struct
    {
        const UdpSocket &socket;
        std::uint32_t from;
    } segments[] = {{segment1, kLabPc0}, {segment2, kLabPc1}};
    for (const auto &s : segments) {
        const auto got = ReceiveUntilQuiet(s.socket);
        ASSERT_EQ(got.size(), 1u) << "copies seen on the segment of " << LocalAddressText({s.from});
        EXPECT_EQ(got[0].data, search);
        EXPECT_EQ(got[0].from, s.from);
        EXPECT_EQ(got[0].fromPort, kPort);
    }
}

// A device answers the PC by unicast or by broadcast; either way the window gets it once.
struct Reply
{
    const char *name;
    LabHost device;
    std::uint32_t deviceAddress;
    std::uint32_t to;
};

void PrintTo(const Reply &r, std::ostream *os)
{
    *os << r.name;
}

class ReplyLab : public EndpointsLab, public ::testing::WithParamInterface<Reply>
{
};

TEST_P(ReplyLab, DeliveredExactlyOnce)
{
    const Reply p = GetParam();
    UdpSocket device = DeviceSocket(p.device, p.deviceAddress);
    ASSERT_TRUE(device.isValid());
    UdpSocket receive = OpenReceiveSocket(reporter());
    Endpoints endpoints;
    endpoints.refresh(LocalIpv4Addresses(), reporter());
    ASSERT_EQ(endpoints.openHandles().size(), 2u);
    Collected collected;
    ReceiverThread receiver(receive.handle(), collected.deliver());
    endpoints.setSlotSocketsListener(
        [&](std::vector<SocketHandle> sockets) { receiver.setSlotSockets(std::move(sockets)); });
    receiver.setSlotSockets(endpoints.openHandles());

    const Bytes reply = EncodeReply(kCmdSearch, Bytes(40, 0x5A));
    ASSERT_EQ(device.sendTo(reply, p.to, kPort), 0);

    EXPECT_THAT(collected.afterQuiet(), ElementsAre(reply));
    EXPECT_THAT(failures, ::testing::IsEmpty());
    endpoints.closeAll();
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ReplyLab,
    ::testing::Values(Reply{"UnicastSegment1", LabHost::Dev, kLabDev0, kLabPc0},
                      Reply{"UnicastSegment2", LabHost::Dev2, kLabDev1, kLabPc1},
                      Reply{"BroadcastSegment1", LabHost::Dev, kLabDev0, kBroadcastAddress},
                      Reply{"BroadcastSegment2", LabHost::Dev2, kLabDev1, kBroadcastAddress}),
    [](const ::testing::TestParamInfo<Reply> &info) { return std::string(info.param.name); });

TEST_F(EndpointsLab, UnicastReplyLandsInTheSlotSocketNotTheReceiveSocket)
{
    // Why the receiver reads the slot sockets at all.
    UdpSocket device = DeviceSocket(LabHost::Dev, kLabDev0);
    UdpSocket receive = OpenReceiveSocket(reporter());
    Endpoints endpoints;
    endpoints.refresh(LocalIpv4Addresses(), reporter());
    const Bytes reply = EncodeReply(kCmdSearch, Bytes(30, 0x11));

    ASSERT_EQ(device.sendTo(reply, kLabPc0, kPort), 0);

    EXPECT_EQ(ReceiveUntilQuiet(endpoints.slot(0).socket).size(), 1u);
    EXPECT_TRUE(ReceiveUntilQuiet(receive).empty());
}

} // namespace
} // namespace ktr
