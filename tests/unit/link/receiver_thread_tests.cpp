// The receiver thread: every datagram on the receive socket or a slot socket handed over once,
// whole, as its own copy; slot set changes and stopping. Also built under ThreadSanitizer.
#include "link/receiver_thread.h"

#include "link/endpoints.h"
#include "link_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>

namespace ktr {
namespace {

using namespace std::chrono_literals;
using test::Loopback;
using ::testing::ElementsAre;

// How long a test waits to be sure that nothing more arrives.
constexpr auto kQuiet = 150ms;

// A datagram that carries its sequence number in its first four bytes.
Bytes Numbered(std::uint32_t n, std::size_t size)
{
    Bytes b = test::Pattern(size, static_cast<std::uint8_t>(n));
    for (int i = 0; i < 4; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
    return b;
}

std::uint32_t NumberOf(const Bytes &b)
{
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

// Every number from 0 to count-1 exactly once, each datagram whole.
void ExpectEachOnce(const std::vector<Bytes> &delivered, std::uint32_t count, std::size_t size)
{
    std::set<std::uint32_t> seen;
    for (const Bytes &b : delivered) {
        ASSERT_EQ(b.size(), size);
        const std::uint32_t n = NumberOf(b);
        ASSERT_EQ(b, Numbered(n, size)) << "datagram " << n << " altered";
        EXPECT_TRUE(seen.insert(n).second) << "datagram " << n << " delivered twice";
    }
    EXPECT_EQ(seen.size(), count);
    if (!seen.empty()) {
        EXPECT_EQ(*seen.rbegin(), count - 1);
    }
}

// The ThreadSanitizer build names its suite apart, so that CTest tells the two builds apart.
#ifndef KTR_RECEIVER_SUITE
#define KTR_RECEIVER_SUITE ReceiverTest
#endif

class KTR_RECEIVER_SUITE : public ::testing::Test
{
protected:
    ReceiverThread::Deliver collect()
    {
        return [this](Bytes b) {
            sink.add(std::move(b));
        };
    }
    void sendTo(const UdpSocket &target, ByteView datagram)
    {
        ASSERT_TRUE(sender.sendTo(datagram, Loopback(1), test::PortOf(target)));
    }

    UdpSocket receive = test::BoundSocket(Loopback(1));
    UdpSocket sender = test::BoundSocket(Loopback(1));
    test::Sink sink;
};

TEST_F(KTR_RECEIVER_SUITE, TwoDatagramsInQuickSuccessionArriveWholeAndOnce)
{
    ReceiverThread receiver(receive.handle(), collect());
    const Bytes first = test::Pattern(303, 1);
    const Bytes second = test::Pattern(20, 2);
    sendTo(receive, first);
    sendTo(receive, second);

    ASSERT_TRUE(sink.waitFor(2));
    std::this_thread::sleep_for(kQuiet);
    EXPECT_THAT(sink.datagrams(), ElementsAre(first, second));
}

TEST_F(KTR_RECEIVER_SUITE, QuietIsToldOnceAfterEachSpellOfDatagramsAndNeverWhileIdle)
{
    // Three datagrams already queued: one spell, however the sender is scheduled.
    for (std::uint8_t n = 1; n <= 3; ++n)
        sendTo(receive, test::Pattern(10, n));
    std::atomic<int> quiets{0};
    std::atomic<std::size_t> deliveredAtQuiet{0};
    ReceiverThread receiver(receive.handle(), collect(), {}, [&] {
        deliveredAtQuiet = sink.size();
        ++quiets;
    });
    ASSERT_TRUE(sink.waitFor(3));
    std::this_thread::sleep_for(kQuiet);
    EXPECT_EQ(quiets.load(), 1);
    EXPECT_EQ(deliveredAtQuiet.load(), 3u) << "told after the spell, not within it";
    std::this_thread::sleep_for(kQuiet);
    EXPECT_EQ(quiets.load(), 1) << "nothing more came, so nothing more stopped coming";

    sendTo(receive, test::Pattern(10, 4));
    ASSERT_TRUE(sink.waitFor(4));
    std::this_thread::sleep_for(kQuiet);
    EXPECT_EQ(quiets.load(), 2);
}

TEST_F(KTR_RECEIVER_SUITE, DatagramsLongerThan1024BytesAreDroppedWhole)
{
    // Sizes sent in this order; only 1 to 1024 bytes reach the window.
    const std::size_t sizes[] = {0, 1025, 1, 1500, 1024, 65000, 302};
    ReceiverThread receiver(receive.handle(), collect());
    std::uint8_t seed = 0;
    for (std::size_t size : sizes)
        sendTo(receive, test::Pattern(size, ++seed));

    ASSERT_TRUE(sink.waitFor(3));
    std::this_thread::sleep_for(kQuiet);
    EXPECT_THAT(sink.datagrams(),
                ElementsAre(test::Pattern(1, 3), test::Pattern(1024, 5), test::Pattern(302, 7)));
}

TEST_F(KTR_RECEIVER_SUITE, BurstOfAThousandRepliesIsDeliveredWithoutLoss)
{
    constexpr std::uint32_t kCount = 1000;
    ReceiverThread receiver(receive.handle(), collect());
    for (std::uint32_t n = 0; n < kCount; ++n)
        sendTo(receive, Numbered(n, 120));

    ASSERT_TRUE(sink.waitFor(kCount, 10s)) << sink.size() << " of " << kCount;
    std::this_thread::sleep_for(kQuiet);
    ExpectEachOnce(sink.datagrams(), kCount, 120);
}

TEST_F(KTR_RECEIVER_SUITE, ReceiveSocketQueueHoldsAThousandRepliesWhileTheWindowIsBusy)
{
    // The tool's own receive socket, filled before anything reads it.
    constexpr std::uint32_t kCount = 1000;
    UdpSocket tool = OpenReceiveSocket({});
    ASSERT_TRUE(tool.isValid());
    for (std::uint32_t n = 0; n < kCount; ++n)
        ASSERT_TRUE(sender.sendTo(Numbered(n, 120), Loopback(1), kPort));

    ReceiverThread receiver(tool.handle(), collect());

    ASSERT_TRUE(sink.waitFor(kCount, 10s)) << sink.size() << " of " << kCount;
    std::this_thread::sleep_for(kQuiet);
    ExpectEachOnce(sink.datagrams(), kCount, 120);
}

TEST_F(KTR_RECEIVER_SUITE, WhatAFullQueueDroppedIsReportedInFull)
{
    // A queue of a few kilobytes, filled before anything reads it, must drop most of a burst.
    UdpSocket small;
    ASSERT_TRUE(small.create());
    ASSERT_TRUE(small.setReceiveBuffer(4096));
    if (!small.setDropCounter(true))
        GTEST_SKIP() << "this system does not count a socket's dropped datagrams";
    ASSERT_TRUE(small.bind(Loopback(1), 0));
    constexpr std::uint32_t kCount = 300;
    for (std::uint32_t n = 0; n < kCount; ++n)
        sendTo(small, Numbered(n, 120));

    std::atomic<std::uint32_t> added{0};
    std::atomic<std::uint32_t> total{0};
    std::atomic<int> reports{0};
    ReceiverThread receiver(small.handle(), collect(), [&](std::uint32_t more, std::uint32_t all) {
        added += more;
        total = all;
        ++reports;
    });
    ASSERT_TRUE(sink.waitFor(1));
    std::this_thread::sleep_for(kQuiet);
    // The system tells the count with the first datagram queued after the drops.
    const std::size_t beforeNext = sink.size();
    sendTo(small, Numbered(kCount, 120));
    ASSERT_TRUE(sink.waitFor(beforeNext + 1));
    std::this_thread::sleep_for(kQuiet);

    // Every datagram sent was either handed over or counted as dropped, and reported once.
    const auto delivered = static_cast<std::uint32_t>(sink.size());
    ASSERT_LT(delivered, kCount);
    EXPECT_EQ(total.load(), kCount + 1 - delivered);
    EXPECT_EQ(added.load(), total.load());
    EXPECT_EQ(reports.load(), 1);
}

TEST_F(KTR_RECEIVER_SUITE, UnicastToALocalAddressIsReadFromItsSlotSocket)
{
    UdpSocket tool = OpenReceiveSocket({});
    Endpoints endpoints;
    endpoints.refresh({Loopback(2)}, {});
    ASSERT_TRUE(endpoints.slot(0).open);

    // The premise: a reply sent to the address a slot is bound to lands in the slot's socket,
    // not in the receive socket bound to 0.0.0.0.
    const Bytes probe = test::Pattern(40, 1);
    ASSERT_TRUE(sender.sendTo(probe, Loopback(2), kPort));
    const auto inSlot = test::ReceiveUntilQuiet(endpoints.slot(0).socket.handle(), 50ms);
    ASSERT_EQ(inSlot.size(), 1u);
    EXPECT_EQ(inSlot[0].data, probe);

    ReceiverThread receiver(tool.handle(), collect());
    receiver.setSlotSockets(endpoints.openHandles());
    const Bytes unicast = test::Pattern(60, 2);
    const Bytes toWildcard = test::Pattern(70, 3);
    ASSERT_TRUE(sender.sendTo(unicast, Loopback(2), kPort));
    ASSERT_TRUE(sender.sendTo(toWildcard, Loopback(1), kPort));

    ASSERT_TRUE(sink.waitFor(2));
    std::this_thread::sleep_for(kQuiet);
    EXPECT_THAT(sink.datagrams(), ::testing::UnorderedElementsAre(unicast, toWildcard));
}

// Windows hands a broadcast to the receive socket and again to the slot socket of the interface
// it came in on. Linux does the same for two sockets bound to 0.0.0.0 on one port, which stands in
// for it here: the broadcast is handed over once, from the receive socket, while a unicast reply
// on a slot socket bound to its own address still counts.
TEST_F(KTR_RECEIVER_SUITE, BroadcastReachingASlotSocketTooIsHandedOverOnce)
{
    const std::uint16_t port = test::PortOf(test::BoundSocket(0));
    UdpSocket wildcard = test::BoundSocket(0, port, true);
    UdpSocket broadcastSlot = test::BoundSocket(0, port, true);
    UdpSocket unicastSlot = test::BoundSocket(Loopback(2), port, true);
    ASSERT_TRUE(sender.setBroadcast(true));

    ReceiverThread receiver(wildcard.handle(), collect());
    receiver.setSlotSockets({broadcastSlot.handle(), unicastSlot.handle()});
    const Bytes broadcast = test::Pattern(50, 4);
    const Bytes unicast = test::Pattern(60, 5);
    ASSERT_TRUE(sender.sendTo(broadcast, 0x7FFFFFFFu, port)); // 127.255.255.255
    ASSERT_TRUE(sender.sendTo(unicast, Loopback(2), port));

    ASSERT_TRUE(sink.waitFor(2));
    std::this_thread::sleep_for(kQuiet);
    EXPECT_THAT(sink.datagrams(), ::testing::UnorderedElementsAre(broadcast, unicast));
}

TEST_F(KTR_RECEIVER_SUITE, SlotSocketsLeftOutAreNoLongerReadOnceTheCallReturns)
{
    UdpSocket slot = test::BoundSocket(Loopback(1));
    ReceiverThread receiver(receive.handle(), collect());
    receiver.setSlotSockets({slot.handle()});
    sendTo(slot, test::Pattern(10, 1));
    ASSERT_TRUE(sink.waitFor(1));

    receiver.setSlotSockets({});
    sendTo(slot, test::Pattern(10, 2));
    // The datagram waits in the slot's queue, untouched by the receiver.
    const auto left = test::ReceiveUntilQuiet(slot.handle(), kQuiet);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].data, test::Pattern(10, 2));
    EXPECT_EQ(sink.size(), 1u);

    // Closing it now is safe; the receive socket is still read.
    slot.close();
    sendTo(receive, test::Pattern(10, 3));
    ASSERT_TRUE(sink.waitFor(2));
    EXPECT_EQ(sink.datagrams().back(), test::Pattern(10, 3));
}

TEST_F(KTR_RECEIVER_SUITE, StopJoinsAndNothingIsDeliveredAfterwards)
{
    ReceiverThread receiver(receive.handle(), collect());
    EXPECT_TRUE(receiver.isRunning());
    sendTo(receive, test::Pattern(5, 1));
    ASSERT_TRUE(sink.waitFor(1));

    receiver.stop();
    EXPECT_FALSE(receiver.isRunning());
    receiver.stop();
    receiver.setSlotSockets({receive.handle()}); // returns at once on a stopped receiver
    sendTo(receive, test::Pattern(5, 2));

    const auto left = test::ReceiveUntilQuiet(receive.handle(), kQuiet);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(sink.size(), 1u);
}

TEST_F(KTR_RECEIVER_SUITE, ThrowingDeliveryLosesOnlyThatDatagram)
{
    std::atomic<int> calls = 0;
    ReceiverThread receiver(receive.handle(), [&](Bytes b) {
        if (calls++ == 0)
            throw std::runtime_error("window gone");
        sink.add(std::move(b));
    });
    sendTo(receive, test::Pattern(5, 1));
    sendTo(receive, test::Pattern(5, 2));

    ASSERT_TRUE(sink.waitFor(1));
    EXPECT_THAT(sink.datagrams(), ElementsAre(test::Pattern(5, 2)));
}

TEST_F(KTR_RECEIVER_SUITE, SlotSetChangesWhileDatagramsFlowLoseNothing)
{
    constexpr std::uint32_t kCount = 2000;
    constexpr std::size_t kSize = 48;
    std::vector<UdpSocket> slots;
    for (int i = 0; i < 3; ++i)
        slots.push_back(test::BoundSocket(Loopback(1)));
    std::vector<std::uint16_t> ports{test::PortOf(receive)};
    for (const UdpSocket &s : slots)
        ports.push_back(test::PortOf(s));
    const std::vector<SocketHandle> all{slots[0].handle(), slots[1].handle(), slots[2].handle()};

    ReceiverThread receiver(receive.handle(), collect());
    std::thread flow([&] {
        UdpSocket out = test::BoundSocket(Loopback(1));
        for (std::uint32_t n = 0; n < kCount; ++n)
            (void)out.sendTo(Numbered(n, kSize), Loopback(1), ports[n % ports.size()]);
    });
    for (int round = 0; round < 200; ++round) {
        switch (round % 4) {
        case 0:
            receiver.setSlotSockets(all);
            break;
        case 1:
            receiver.setSlotSockets({all[1]});
            break;
        case 2:
            receiver.setSlotSockets({});
            break;
        default:
            receiver.setSlotSockets({all[2], all[0]});
            break;
        }
    }
    flow.join();
    receiver.setSlotSockets(all);

    ASSERT_TRUE(sink.waitFor(kCount, 10s)) << sink.size() << " of " << kCount;
    std::this_thread::sleep_for(kQuiet);
    ExpectEachOnce(sink.datagrams(), kCount, kSize);
}

} // namespace
} // namespace ktr
