// Endpoint slots, the receive socket and the failure texts, on loopback addresses.
#include "link/endpoints.h"
#include "res/texts/failure_texts.h"

#include "link_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <string>
#ifndef _WIN32
#include <unistd.h>
#endif
#include <utility>

namespace ktr {
namespace {

using test::Loopback;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// The error of a bind to a port another socket holds exclusively.
#ifdef _WIN32
constexpr int kAddressInUse = 10048; // WSAEADDRINUSE
#else
constexpr int kAddressInUse = EADDRINUSE;
#endif

// Whether the system grants this process a receive queue beyond its configured limit: root on
// Linux (SO_RCVBUFFORCE); Windows has no such limit.
bool MayExceedBufferLimit()
{
#ifdef _WIN32
    return true;
#else
    return ::geteuid() == 0;
#endif
}

struct Report
{
    NetFailure failure;
    int osError;
    bool operator==(const Report &) const = default;
};

struct Call
{
    SocketCall call;
    SocketHandle socket;
};

// One log of the socket layer's calls and of what the receiver is told, so their order shows.
struct Event
{
    enum Kind { SocketCalled, ListenerTold } kind;
    SocketCall call = SocketCall::Create;
    SocketHandle socket = kNoSocket;
    std::vector<SocketHandle> told;
};

std::vector<std::uint32_t> Addresses(std::initializer_list<unsigned> lastOctets)
{
    std::vector<std::uint32_t> out;
    for (unsigned n : lastOctets)
        out.push_back(Loopback(n));
    return out;
}

class EndpointsTest : public ::testing::Test
{
protected:
    void TearDown() override { SetSocketCallSeam({}); }

    FailureReporter reporter()
    {
        return [this](NetFailure f, int e) {
            reports.push_back({f, e});
        };
    }

    // Logs every socket call from now on; the `nth` call of kind `failing` fails with `error`.
    void watchCalls(SocketCall failing = SocketCall::Close, int nth = 0, int error = 0)
    {
        SetSocketCallSeam(
            [this, failing, nth, error, seen = 0](SocketCall c, SocketHandle s) mutable {
                events.push_back({Event::SocketCalled, c, s, {}});
                if (c == failing && ++seen == nth && error != 0)
                    return OsStatus(Fail(OsError{error}));
                return OsStatus(Ok());
            });
    }

    void watchListener()
    {
        endpoints.setSlotSocketsListener([this](std::vector<SocketHandle> handles) {
            events.push_back({Event::ListenerTold, SocketCall::Create, kNoSocket, handles});
        });
    }

    std::vector<Call> calls() const
    {
        std::vector<Call> out;
        for (const Event &e : events) {
            if (e.kind == Event::SocketCalled)
                out.push_back({e.call, e.socket});
        }
        return out;
    }

    int count(SocketCall c) const
    {
        int n = 0;
        for (const Call &call : calls())
            n += call.call == c ? 1 : 0;
        return n;
    }

    std::vector<SocketHandle> handles() const
    {
        std::vector<SocketHandle> out;
        for (int i = 0; i < kEndpointSlots; ++i)
            out.push_back(endpoints.slot(i).socket.handle());
        return out;
    }

    // Queues one marker datagram in each of the first `n` slots: a slot that is reopened
    // loses it, a slot that keeps its socket still holds it.
    void markSlots(int n)
    {
        for (int i = 0; i < n; ++i)
            test::SendFromLoopback(marker(i), endpoints.slot(i).localAddress, kPort);
    }

    bool holdsMarker(int i)
    {
        const auto received = test::ReceiveUntilQuiet(endpoints.slot(i).socket.handle(),
                                                      std::chrono::milliseconds(50));
        return received.size() == 1 && received[0].data == marker(i);
    }

    static Bytes marker(int i) { return test::Pattern(8, static_cast<std::uint8_t>(i)); }

    Endpoints endpoints;
    std::vector<Report> reports;
    std::vector<Event> events;
};

TEST(FailureMessageTest, TextsAreTheWindowsOwn)
{
    const struct
    {
        NetFailure failure;
        int osError;
        const char *text;
    } cases[] = {
        {NetFailure::StackStartup, 0, "网络编程启动出错"},
        {NetFailure::ReceiveSocket, 0, "套接字错误,请检查错误并重新打开软件"},
        {NetFailure::ReceiveBroadcast, 0, "设置规则失败1"},
        {NetFailure::ReceiveReuse, 0, "设置规则失败2"},
        {NetFailure::SlotSocket, 0, "套接字创建失败"},
        {NetFailure::SlotBroadcast, 0, "设置socket规则失败"},
        {NetFailure::SlotReuse, 0, "设置socket规则失败2"},
        {NetFailure::SlotBind, 10048, "绑定SOCKET出错 -1  错误代码 10048"},
        {NetFailure::SlotBind, 98, "绑定SOCKET出错 -1  错误代码 98"},
        {NetFailure::Send, 0, "端口被占用"},
        {NetFailure::PortShared, 0,
         "端口1901已被其他程序占用：设备的应答可能被那个程序收走。请关闭其他配置软件后重新打开本软"
         "件"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FailureMessage(c.failure, c.osError), c.text);
}

// The system's text of an error as the box shows it. Wine has no texts for socket errors: the box
// then says so and still gives the code.
std::string ShownSystemText(int osError)
{
    const std::string text = SocketErrorText(osError);
    return text.empty() ? "系统没有说明" : text;
}

// Port 1901 held by another program at start-up: plain words, the system's text and its code.
TEST(FailureMessageTest, ReceivePortBoxNamesThePortTheCauseAndTheSystemError)
{
    const int inUse = AddressInUseError();
    const std::string systemText = ShownSystemText(inUse);
    EXPECT_NE(systemText.back(), '\n');
    EXPECT_EQ(FailureMessage(NetFailure::ReceiveBind, inUse),
              "本机的 UDP 端口 1901 已被另一个程序占用，本软件收不到设备的回复。\n"
              "请关闭占用该端口的程序（也可能是已经打开的另一个本软件），然后重新打开本软件。\n\n"
              "系统错误：" +
                  systemText + "（错误代码 " + std::to_string(inUse) + "）");
    // Any other refusal says what it means for the user without blaming another program.
    const int other = inUse + 1;
    const std::string message = FailureMessage(NetFailure::ReceiveBind, other);
    EXPECT_EQ(message.rfind("本软件无法使用本机的 UDP 端口 1901，收不到设备的回复。", 0), 0u);
    EXPECT_NE(message.find("系统错误：" + ShownSystemText(other) + "（错误代码 " +
                           std::to_string(other) + "）"),
              std::string::npos);
    EXPECT_EQ(message.find("占用"), std::string::npos);
}

TEST(LocalAddressTextTest, FirstAddressDottedOrEmpty)
{
    EXPECT_EQ(LocalAddressText({}), "");
    EXPECT_EQ(LocalAddressText({0xC0A80009u, 0x0A000001u}), "192.168.0.9");
    EXPECT_EQ(LocalAddressText({0xFFFFFFFEu}), "255.255.255.254");
}

TEST(LocalIpv4AddressesTest, NeverListsLoopback)
{
    const auto addresses = LocalIpv4Addresses();
    for (std::uint32_t a : addresses)
        EXPECT_NE(a >> 24, 127u) << LocalAddressText({a});
    if (test::InPrivateNetwork()) {
        EXPECT_THAT(addresses, IsEmpty()) << "a fresh namespace has lo only";
    }
}

TEST_F(EndpointsTest, RefreshBindsOneSlotPerAddressOnPort1901)
{
    endpoints.refresh(Addresses({1, 2, 3}), reporter());

    EXPECT_THAT(reports, IsEmpty());
    for (int i = 0; i < 3; ++i) {
        const EndpointSlot &s = endpoints.slot(i);
        ASSERT_TRUE(s.open) << i;
        const auto name = s.socket.localName();
        ASSERT_TRUE(name);
        EXPECT_EQ(name->address, Loopback(static_cast<unsigned>(i + 1)));
        EXPECT_EQ(name->port, kPort);
    }
    for (int i = 3; i < kEndpointSlots; ++i)
        EXPECT_FALSE(endpoints.slot(i).open) << i;
    EXPECT_EQ(endpoints.openHandles().size(), 3u);
}

TEST_F(EndpointsTest, UnchangedAddressesKeepTheirSockets)
{
    endpoints.refresh(Addresses({1, 2, 3}), reporter());
    const auto before = handles();
    markSlots(3);
    watchCalls();

    endpoints.refresh(Addresses({1, 2, 3}), reporter());

    EXPECT_TRUE(calls().empty()) << "no socket closed, created or bound again";
    EXPECT_EQ(handles(), before);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(holdsMarker(i)) << i;
}

TEST_F(EndpointsTest, ChangedSecondAddressRenewsOnlySlot1)
{
    endpoints.refresh(Addresses({1, 2, 3}), reporter());
    const auto before = handles();
    markSlots(3);
    watchCalls();

    endpoints.refresh(Addresses({1, 5, 3}), reporter());

    const auto c = calls();
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0].call, SocketCall::Close);
    EXPECT_EQ(c[0].socket, before[1]);
    EXPECT_EQ(c[1].call, SocketCall::Create);
    EXPECT_EQ(c[2].call, SocketCall::SetBroadcast);
    EXPECT_EQ(c[3].call, SocketCall::SetReuse);
    EXPECT_EQ(c[4].call, SocketCall::Bind);
    EXPECT_TRUE(endpoints.slot(1).open);
    EXPECT_EQ(endpoints.slot(1).localAddress, Loopback(5));
    EXPECT_EQ(endpoints.slot(1).socket.localName()->address, Loopback(5));
    EXPECT_TRUE(holdsMarker(0));
    EXPECT_TRUE(holdsMarker(2));
    EXPECT_THAT(reports, IsEmpty());
}

TEST_F(EndpointsTest, MoreThanTenAddressesUseTheFirstTen)
{
    watchCalls();
    endpoints.refresh(Addresses({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), reporter());

    EXPECT_EQ(count(SocketCall::Bind), kEndpointSlots);
    for (int i = 0; i < kEndpointSlots; ++i) {
        EXPECT_TRUE(endpoints.slot(i).open) << i;
        EXPECT_EQ(endpoints.slot(i).localAddress, Loopback(static_cast<unsigned>(i + 1)));
    }
    EXPECT_THAT(reports, IsEmpty());
}

TEST_F(EndpointsTest, SlotsWhoseAddressIsGoneAreClosed)
{
    // The second list is shorter than the first, down to no address at all: the slots whose
    // address disappeared close (a send through them would only fail as "端口被占用"), the
    // others keep their sockets, and the receiver is told before any socket closes.
    for (auto [shorter, kept] : {std::pair{Addresses({1}), 1}, std::pair{Addresses({}), 0}}) {
        endpoints = Endpoints{};
        events.clear();
        SetSocketCallSeam({});
        endpoints.refresh(Addresses({1, 2, 3}), reporter());
        const auto before = handles();
        markSlots(3);
        watchCalls();

        endpoints.refresh(shorter, reporter());

        EXPECT_EQ(count(SocketCall::Close), 3 - kept);
        EXPECT_EQ(count(SocketCall::Bind), 0);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(endpoints.slot(i).open, i < kept) << i;
        if (kept == 1) {
            EXPECT_TRUE(holdsMarker(0));
        }
        EXPECT_EQ(endpoints.openHandles().size(), static_cast<std::size_t>(kept));
        UdpSocket sink = test::BoundSocket(Loopback(1));
        endpoints.setDestination(Loopback(1), test::PortOf(sink));
        EXPECT_EQ(endpoints.SendToAll(EncodeSearchRequest(), reporter()), kept);
        EXPECT_THAT(reports, IsEmpty()) << "no failure box for a vanished address";
    }
}

TEST_F(EndpointsTest, BindOnAPortHeldWithoutReuseReportsTheOsError)
{
    // Another program holds 127.0.0.2:1901 exclusively.
    UdpSocket holder = test::BoundSocket(Loopback(2), kPort, false);

    endpoints.refresh(Addresses({1, 2, 3}), reporter());

    ASSERT_THAT(reports, ElementsAre(Report{NetFailure::SlotBind, kAddressInUse}));
    EXPECT_EQ(FailureMessage(reports[0].failure, reports[0].osError),
              "绑定SOCKET出错 -1  错误代码 " + std::to_string(kAddressInUse));
    EXPECT_TRUE(endpoints.slot(0).open);
    EXPECT_FALSE(endpoints.slot(1).open);
    EXPECT_FALSE(endpoints.slot(1).socket.isValid());
    EXPECT_TRUE(endpoints.slot(2).open);
    EXPECT_EQ(endpoints.openHandles().size(), 2u);

    // Once the port is free, the next refresh opens the failed slot and only that one.
    holder.close();
    reports.clear();
    watchCalls();
    endpoints.refresh(Addresses({1, 2, 3}), reporter());
    EXPECT_THAT(reports, IsEmpty());
    EXPECT_TRUE(endpoints.slot(1).open);
    EXPECT_EQ(count(SocketCall::Bind), 1);
}

// Names the instances of a parameterised test after their `name` field, and prints them so.
template <typename Param>
std::string CaseName(const ::testing::TestParamInfo<Param> &info)
{
    return info.param.name;
}
template <typename Param>
void PrintTo(const Param &p, std::ostream *os) requires requires
{
    p.name;
}
{
    *os << p.name;
}

struct SlotStepFailure
{
    const char *name;
    SocketCall call;
    NetFailure failure;
    int stepsReached; // set-up calls the failing slot makes, the failing one included
};

class SlotStepFailureTest : public EndpointsTest,
                            public ::testing::WithParamInterface<SlotStepFailure>
{
};

TEST_P(SlotStepFailureTest, SlotStaysClosedAndTheOthersOpen)
{
    const SlotStepFailure p = GetParam();
    constexpr int kError = 4321;
    watchCalls(p.call, 2, kError); // the second slot's step fails

    endpoints.refresh(Addresses({1, 2, 3}), reporter());

    EXPECT_THAT(reports, ElementsAre(Report{p.failure, kError}));
    EXPECT_TRUE(endpoints.slot(0).open);
    EXPECT_FALSE(endpoints.slot(1).open);
    EXPECT_FALSE(endpoints.slot(1).socket.isValid());
    EXPECT_TRUE(endpoints.slot(2).open);
    // Set-up stops at the failing step: 4 steps for each good slot, fewer for the failed one.
    const int setUpCalls = count(SocketCall::Create) + count(SocketCall::SetBroadcast) +
                           count(SocketCall::SetReuse) + count(SocketCall::Bind);
    EXPECT_EQ(setUpCalls, 8 + p.stepsReached);

    SetSocketCallSeam({});
    endpoints.refresh(Addresses({1, 2, 3}), reporter());
    EXPECT_TRUE(endpoints.slot(1).open);
    EXPECT_EQ(reports.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SlotStepFailureTest,
    ::testing::Values(SlotStepFailure{"Create", SocketCall::Create, NetFailure::SlotSocket, 1},
                      SlotStepFailure{"Broadcast", SocketCall::SetBroadcast,
                                      NetFailure::SlotBroadcast, 2},
                      SlotStepFailure{"Reuse", SocketCall::SetReuse, NetFailure::SlotReuse, 3},
                      SlotStepFailure{"Bind", SocketCall::Bind, NetFailure::SlotBind, 4}),
    CaseName<SlotStepFailure>);

struct ReceiveStepFailure
{
    const char *name;
    SocketCall call;
    std::vector<Report> reports; // with error 77
    bool bound;
    int nth = 1; // the probe for another holder of the port creates and binds first
};

class ReceiveSocketTest : public EndpointsTest,
                          public ::testing::WithParamInterface<ReceiveStepFailure>
{
};

TEST_P(ReceiveSocketTest, FailuresAreReportedAndStartUpGoesOn)
{
    const ReceiveStepFailure p = GetParam();
    watchCalls(p.call, p.nth, 77);

    const UdpSocket s = OpenReceiveSocket(reporter());

    EXPECT_EQ(reports, p.reports);
    EXPECT_EQ(s.isValid(), p.bound);
    if (p.bound) {
        const auto name = s.localName();
        ASSERT_TRUE(name);
        EXPECT_EQ(name->address, 0u);
        EXPECT_EQ(name->port, kPort);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ReceiveSocketTest,
    ::testing::Values(
        ReceiveStepFailure{"NoFailure", SocketCall::Close, {}, true},
        ReceiveStepFailure{
            "Create", SocketCall::Create, {{NetFailure::ReceiveSocket, 77}}, false, 2},
        ReceiveStepFailure{
            "Broadcast", SocketCall::SetBroadcast, {{NetFailure::ReceiveBroadcast, 77}}, true},
        ReceiveStepFailure{"Reuse", SocketCall::SetReuse, {{NetFailure::ReceiveReuse, 77}}, true},
        ReceiveStepFailure{"Bind", SocketCall::Bind, {{NetFailure::ReceiveBind, 77}}, false, 2}),
    CaseName<ReceiveStepFailure>);

TEST_F(EndpointsTest, APortSharedWithAnotherProgramIsReportedOnceAndStillBound)
{
    // Another program took port 1901 with address reuse, as a second copy of the tool would.
    const UdpSocket other = test::BoundSocket(0, kPort, true);
    const UdpSocket s = OpenReceiveSocket(reporter());
    EXPECT_THAT(reports, ElementsAre(Report{NetFailure::PortShared, 0}));
    EXPECT_TRUE(s.isValid());
    EXPECT_TRUE(PortHeldElsewhere(kPort));
}

TEST(ReceiveSocketBufferTest, HoldsAMegabyteOrMore)
{
    const UdpSocket s = OpenReceiveSocket({});
    ASSERT_TRUE(s.isValid());
    const std::optional<int> asked = s.receiveBufferSize();
    ASSERT_TRUE(asked);
    const int granted = *asked;
    RecordProperty("receive_buffer_bytes", granted);
    if (!MayExceedBufferLimit() && granted < 1024 * 1024)
        GTEST_SKIP() << "net.core.rmem_max limits an unprivileged process to " << granted
                     << " bytes";
    EXPECT_GE(granted, 1024 * 1024);
}

struct SendCase
{
    const char *name;
    int failingSend; // 0: none
    std::vector<unsigned> sources;
    std::vector<Report> reports;
};

class SendToAllTest : public EndpointsTest, public ::testing::WithParamInterface<SendCase>
{
};

TEST_P(SendToAllTest, SendsOncePerOpenSlotFromItsAddress)
{
    const SendCase p = GetParam();
    // Slot 3 fails to open and must not send.
    watchCalls(SocketCall::Bind, 4, EADDRINUSE);
    endpoints.refresh(Addresses({1, 2, 3, 4}), {});
    watchCalls(SocketCall::Send, p.failingSend, 55);
    UdpSocket sink = test::BoundSocket(Loopback(1));
    endpoints.setDestination(Loopback(1), test::PortOf(sink));
    const Bytes frame = test::Pattern(303, 9);

    const int sent = endpoints.SendToAll(frame, reporter());

    EXPECT_EQ(sent, static_cast<int>(p.sources.size())) << "failed sends are not counted";
    EXPECT_EQ(reports, p.reports);
    EXPECT_EQ(count(SocketCall::Send), 3);
    std::vector<std::uint32_t> sources;
    for (const auto &r : test::ReceiveUntilQuiet(sink.handle())) {
        EXPECT_EQ(r.data, frame);
        EXPECT_EQ(r.fromPort, kPort);
        sources.push_back(r.from);
    }
    std::vector<std::uint32_t> expected;
    for (unsigned n : p.sources)
        expected.push_back(Loopback(n));
    EXPECT_THAT(sources, ::testing::UnorderedElementsAreArray(expected));
}

INSTANTIATE_TEST_SUITE_P(Sends, SendToAllTest,
                         ::testing::Values(SendCase{"AllSucceed", 0, {1, 2, 3}, {}},
                                           SendCase{
                                               "SecondFails", 2, {1, 3}, {{NetFailure::Send, 55}}}),
                         CaseName<SendCase>);

TEST_F(EndpointsTest, ReceiverLetsGoOfSocketsBeforeTheyClose)
{
    watchListener();
    endpoints.refresh(Addresses({1, 2, 3}), reporter());
    const auto first = handles();
    events.clear();
    watchCalls();

    endpoints.refresh(Addresses({1, 5, 3}), reporter());

    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front().kind, Event::ListenerTold);
    EXPECT_THAT(events.front().told, UnorderedElementsAre(first[0], first[2]));
    EXPECT_EQ(events[1].kind, Event::SocketCalled);
    EXPECT_EQ(events[1].call, SocketCall::Close);
    EXPECT_EQ(events.back().kind, Event::ListenerTold);
    EXPECT_THAT(events.back().told,
                UnorderedElementsAre(first[0], endpoints.slot(1).socket.handle(), first[2]));

    events.clear();
    endpoints.closeAll();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, Event::ListenerTold);
    EXPECT_THAT(events[0].told, IsEmpty());
    for (std::size_t i = 1; i < events.size(); ++i)
        EXPECT_EQ(events[i].call, SocketCall::Close);
}

TEST_F(EndpointsTest, RefreshAfterCloseAllReopensTheSlots)
{
    endpoints.refresh(Addresses({1, 2}), reporter());
    endpoints.closeAll();
    EXPECT_TRUE(endpoints.slot(0).open) << "closing leaves the open flags";
    EXPECT_THAT(endpoints.openHandles(), IsEmpty());

    endpoints.refresh(Addresses({1, 2}), reporter());

    EXPECT_THAT(reports, IsEmpty());
    EXPECT_EQ(endpoints.openHandles().size(), 2u);
    EXPECT_TRUE(endpoints.slot(1).socket.localName());
}

} // namespace
} // namespace ktr
