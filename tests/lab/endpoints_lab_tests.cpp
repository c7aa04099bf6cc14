// The endpoints and the receiver on the virtual lab's two segments, seen from the devices' side
// through plain sockets opened in the device namespaces.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

#include "link/endpoints.h"
#include "link/receiver_thread.h"
#include "res/texts/failure_texts.h"
#include "tests/lab/support/lab_env.h"
#include "tests/lab/support/lab_sockets.h"

namespace ktr {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

constexpr auto kQuiet = 300ms;

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
    UdpSocket segment1 = LabSocket(LabHost::Dev);
    UdpSocket segment2 = LabSocket(LabHost::Dev2);
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
        const auto got = ReceiveUntilQuiet(s.socket, kQuiet);
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
    UdpSocket device = LabSocket(p.device, p.deviceAddress);
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
    ASSERT_TRUE(device.sendTo(reply, p.to, kPort));

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
    UdpSocket device = LabSocket(LabHost::Dev, kLabDev0);
    UdpSocket receive = OpenReceiveSocket(reporter());
    Endpoints endpoints;
    endpoints.refresh(LocalIpv4Addresses(), reporter());
    const Bytes reply = EncodeReply(kCmdSearch, Bytes(30, 0x11));

    ASSERT_TRUE(device.sendTo(reply, kLabPc0, kPort));

    EXPECT_EQ(ReceiveUntilQuiet(endpoints.slot(0).socket, kQuiet).size(), 1u);
    EXPECT_TRUE(ReceiveUntilQuiet(receive, kQuiet).empty());
}

} // namespace
} // namespace ktr
