// The socket layer's failures: each carries the system's own error number, and a receive call
// that takes nothing tells an empty queue from a failure.
#include "link/udp_socket.h"

#include "link_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>

#ifdef _WIN32
#include "link/winsock.h"
#else
#include "link/pktinfo_receive.h"
#endif

namespace ktr {
namespace {

using test::Loopback;

#ifdef _WIN32
constexpr int kWouldBlock = WSAEWOULDBLOCK;
constexpr int kRefused = WSAECONNRESET;
#else
constexpr int kWouldBlock = EWOULDBLOCK;
constexpr int kRefused = ECONNREFUSED;
#endif

TEST(UdpSocketTest, ABindThatFailsGivesTheSystemsErrorNumber)
{
    const UdpSocket holder = test::BoundSocket(Loopback(1));
    UdpSocket second;
    ASSERT_TRUE(second.create());
    const OsStatus bound = second.bind(Loopback(1), test::PortOf(holder));
    ASSERT_FALSE(bound);
    EXPECT_EQ(bound.error(), OsError{AddressInUseError()});
}

TEST(UdpSocketTest, ReceiveQueueSizeIsKnownOnlyForAnOpenSocket)
{
    const UdpSocket open = test::BoundSocket(Loopback(1));
    const std::optional<int> size = open.receiveBufferSize();
    ASSERT_TRUE(size);
    EXPECT_GT(*size, 0);
    EXPECT_FALSE(UdpSocket().receiveBufferSize());
}

TEST(UdpSocketTest, AReceiveThatTakesNothingIsAnEmptyQueueOrAFailureWithItsError)
{
    const ReceiveResult empty = FailedReceive(OsError{kWouldBlock});
    EXPECT_EQ(empty.status, ReceiveStatus::NothingWaiting);
    EXPECT_EQ(empty.error, OsError{});

    const ReceiveResult refused = FailedReceive(OsError{kRefused});
    EXPECT_EQ(refused.status, ReceiveStatus::Failed);
    EXPECT_EQ(refused.error, OsError{kRefused});

    // The real call on an empty queue: nothing waiting, no error.
    const UdpSocket socket = test::BoundSocket(Loopback(1));
    const ReceiveResult none = ReceiveDatagram(socket.handle());
    EXPECT_EQ(none.status, ReceiveStatus::NothingWaiting);
    EXPECT_EQ(none.error, OsError{});
}

#ifndef _WIN32
TEST(PktinfoReceiveTest, FailsWithTheErrorOnAnEmptyQueueAndGivesTheSizeOfADatagram)
{
    const UdpSocket socket = test::BoundSocket(Loopback(1));
    std::array<std::uint8_t, 64> buffer{};
    const auto empty = ReceiveWithPktinfo(socket.handle(), buffer);
    ASSERT_FALSE(empty);
    EXPECT_TRUE(empty.error().code == EAGAIN || empty.error().code == EWOULDBLOCK)
        << empty.error().code;

    test::SendFromLoopback(test::Pattern(10, 7), Loopback(1), test::PortOf(socket));
    ASSERT_TRUE(WaitReadable(socket.handle(), 2000));
    const auto taken = ReceiveWithPktinfo(socket.handle(), buffer);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->size, 10u);
    EXPECT_FALSE(taken->truncated);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 10), test::Pattern(10, 7));
}
#endif

} // namespace
} // namespace ktr
