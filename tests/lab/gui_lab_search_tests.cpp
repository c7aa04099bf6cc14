// Searching through the real window on the lab: rows and message lines for real replies, both
// reply paths, kept sockets, datagrams the window must ignore, a held port, and a burst of a
// thousand devices.
#include "tests/lab/gui_lab_fixture.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTreeWidget>

#include <algorithm>
#include <set>

#include "app/control_ids.h"
#include "link/endpoints.h"
#include "tests/lab/support/lab_env.h"
#include "tests/lab/support/lab_sockets.h"

namespace ktr::labgui {
namespace {

const Bytes kSearchRequest = Hex("AA 00 01 02 02");

QString Repeated(const QString &line, int times)
{
    QString text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

using SearchLab = GuiLab;

TEST_F(SearchLab, ThreeDevicesGiveThreeRowsLastReplyOnTop)
{
    startSim(3);
    forgetRequests();
    search();
    expectSent(kSearchRequest);
    ASSERT_TRUE(waitForRows(3)) << rows() << " rows";
    // The simulator answers in device order, so device 2's reply came last.
    const struct
    {
        const char *ip;
        const char *mac;
    } expected[] = {{"192.168.0.12", "000EEB000003"},
                    {"192.168.0.11", "000EEB000002"},
                    {"192.168.0.10", "000EEB000001"}};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(cell(row, 0), expected[row].ip);
        EXPECT_EQ(cell(row, 1), "QX-HT-LAN");
        EXPECT_EQ(cell(row, 2), expected[row].mac);
        EXPECT_EQ(cell(row, 3), "288");
    }
    EXPECT_EQ(messages(), "搜索...\n" + Repeated("搜索到设备\n", 3));
    EXPECT_EQ(sim.countLines("search -> reply"), 3u);
    EXPECT_TRUE(boxes.boxes.empty());
    // Once the replies are over, one line sums them up.
    ASSERT_TRUE(waitForMessage("搜索完成，共搜索到3台设备")) << messages().toStdString();
    EXPECT_EQ(messages(),
              "搜索...\n" + Repeated("搜索到设备\n", 3) + "搜索完成，共搜索到3台设备\n");
}

TEST_F(SearchLab, UnicastAndBroadcastRepliesAreBothListed)
{
    startSim(2, {"--unicast-devices", "0"});
    search();
    ASSERT_TRUE(waitForRows(2)) << rows() << " rows";
    const std::set<QString> macs{cell(0, 2), cell(1, 2)};
    EXPECT_EQ(macs, (std::set<QString>{"000EEB000001", "000EEB000002"}));
    // The simulator says how each reply left.
    const std::vector<std::string> log = sim.lines();
    const auto sent = [&](std::string_view device, std::string_view how) {
        return std::count_if(log.begin(), log.end(), [&](const std::string &line) {
            return line.starts_with(device) && line.find(" search -> reply ") != line.npos &&
                   line.ends_with(how);
        });
    };
    EXPECT_EQ(sent("dev 0 ", " unicast"), 1) << "device 0 answers the PC's address";
    EXPECT_EQ(sent("dev 1 ", " broadcast"), 1);
    EXPECT_EQ(messages(), "搜索...\n" + Repeated("搜索到设备\n", 2));
}

TEST_F(SearchLab, SecondSearchWithUnchangedAddressesKeepsItsSockets)
{
    startSim(1);
    search();
    ASSERT_TRUE(waitForRows(1));
    const Endpoints &endpoints = dialog->network().endpoints();
    ASSERT_TRUE(endpoints.slot(0).open && endpoints.slot(1).open);
    EXPECT_EQ(endpoints.slot(0).localAddress, kLabPc0);
    EXPECT_EQ(endpoints.slot(1).localAddress, kLabPc1);
    EXPECT_FALSE(endpoints.slot(2).open);
    const SocketHandle first = endpoints.slot(0).socket.handle();
    const SocketHandle second = endpoints.slot(1).socket.handle();

    forgetRequests();
    search();
    EXPECT_EQ(rows(), 0) << "the list is emptied before any reply is shown";
    expectSent(kSearchRequest);
    ASSERT_TRUE(waitForRows(1));
    EXPECT_EQ(endpoints.slot(0).socket.handle(), first);
    EXPECT_EQ(endpoints.slot(1).socket.handle(), second);
    EXPECT_TRUE(endpoints.slot(0).open && endpoints.slot(1).open);
    EXPECT_EQ(messages(), "搜索...\n搜索到设备\n");
}

// Datagrams that reach the window but are no reply it shows.
struct Ignored
{
    const char *name;
    const char *hex;
    std::uint32_t to;
};

void PrintTo(const Ignored &i, std::ostream *os)
{
    *os << i.name;
}

class IgnoredDatagramLab : public GuiLab, public ::testing::WithParamInterface<Ignored>
{
};

TEST_P(IgnoredDatagramLab, ChangesNothingButTheRefresh)
{
    startSim(1);
    search();
    ASSERT_TRUE(waitForRows(1));
    doubleClickRow(0);
    ASSERT_TRUE(waitForMessage("读取网络参数成功！"));
    const QString staticIp = fieldText(networkControl(ids::kStaticIp));
    const QString shown = messages();
    UdpSocket device = LabSocket(LabHost::Dev, kLabDev0);
    ASSERT_TRUE(device.isValid());

    scribbleInMessageArea();
    ASSERT_EQ(messages(), shown + "Z");
    ASSERT_TRUE(device.sendTo(Hex(GetParam().hex), GetParam().to, kPort));
    ASSERT_TRUE(waitFor([&] { return messages() == shown; }))
        << "no refresh; the area shows " << messages().toStdString();

    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(cell(0, 2), "000EEB000001");
    EXPECT_EQ(fieldText(networkControl(ids::kStaticIp)), staticIp);
    EXPECT_EQ(fieldText(networkControl(ids::kMacEdit)), "00-0E-EB-00-00-01");
    EXPECT_FALSE(state.deviceBlockRead);
    EXPECT_TRUE(boxes.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, IgnoredDatagramLab,
    ::testing::Values(
        // The acknowledgements of a settings write, a factory reset and a MAC write.
        Ignored{"NetworkWriteAck", "55 00 07 04 00 0E EB 00 00 01 FE", kBroadcastAddress},
        Ignored{"FactoryResetAck", "55 00 07 06 00 0E EB 00 00 01 00", kBroadcastAddress},
        Ignored{"MacWriteAck", "55 00 07 0F 00 0E EB 00 00 01 09", kBroadcastAddress}),
    [](const ::testing::TestParamInfo<Ignored> &info) { return std::string(info.param.name); });

using EchoLab = GuiLab;

TEST_F(EchoLab, OurOwnRequestComingBackChangesNothingNotEvenTheMessageArea)
{
    startSim(1);
    search();
    ASSERT_TRUE(waitForRows(1));
    const QString shown = messages();
    scribbleInMessageArea();
    // A search request such as our own looped back; sent to the PC alone, since a broadcast
    // would also reach the simulator, which would answer it. The window never hears of it, so
    // the letter typed stays.
    UdpSocket device = LabSocket(LabHost::Dev, kLabDev0);
    ASSERT_TRUE(device.isValid());
    ASSERT_TRUE(device.sendTo(Hex("AA 00 01 02 02"), kLabPc0, kPort));
    QTest::qWait(200);
    EXPECT_EQ(messages(), shown + "Z");
    EXPECT_EQ(rows(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
}

class PortHeldLab : public GuiLab
{
protected:
    // Another program holds port 1901 on the first PC address and does not share it.
    void beforeWindow() override
    {
        ASSERT_TRUE(holder.create());
        ASSERT_TRUE(holder.bind(kLabPc0, kPort)) << "port 1901 is taken already";
    }
    UdpSocket holder;
};

TEST_F(PortHeldLab, SearchShowsTheBindFailureAndGoesOnWithTheOtherAddress)
{
    // Start-up could not bind the receive socket either: no reply could ever arrive, and the
    // user is told so in plain words once the window is up.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.empty(); }, 3000));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith("本机的 UDP 端口 1901 已被另一个程序占用"))
        << boxes.boxes[0].text.toStdString();
    EXPECT_TRUE(boxes.boxes[0].text.endsWith("（错误代码 98）"))
        << boxes.boxes[0].text.toStdString();
    boxes.boxes.clear();

    forgetRequests();
    search();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "绑定SOCKET出错 -1  错误代码 98");
    EXPECT_EQ(boxes.boxes[0].caption, QCoreApplication::applicationName());
    EXPECT_EQ(boxes.boxes[0].caption, "gui_lab_tests");
    EXPECT_FALSE(dialog->network().endpoints().slot(0).open);
    EXPECT_TRUE(dialog->network().endpoints().slot(1).open);
    EXPECT_EQ(messages(), "搜索...\n");
    // The second address still sends the search.
    expectSent(kSearchRequest);
}

TEST_F(SearchLab, ThousandDevicesAnsweringOneSearchGiveThousandRows)
{
    constexpr int kDevices = 1000;
    startSim(kDevices);
    search();
    waitFor([&] { return rows() >= kDevices; }, 20s);
    // Late or doubled replies would still be arriving; give them a moment to show.
    QTest::qWait(300);
    ASSERT_EQ(rows(), kDevices);
    std::set<QString> macs;
    for (int row = 0; row < kDevices; ++row)
        macs.insert(cell(row, 2));
    EXPECT_EQ(macs.size(), std::size_t{kDevices});
    EXPECT_EQ(messages(), "搜索...\n" + Repeated("搜索到设备\n", kDevices));
    EXPECT_EQ(sim.countLines("search -> reply"), std::size_t{kDevices});
}

class ManyDevicesLab : public GuiLab
{
protected:
    // Searches and waits for `devices` rows (late or doubled replies get a moment to show); the
    // MACs listed.
    std::set<QString> searchForAll(int devices)
    {
        search();
        waitFor([&] { return rows() >= devices; }, 20s);
        QTest::qWait(300);
        std::set<QString> macs;
        for (int row = 0; row < rows(); ++row)
            macs.insert(cell(row, 2));
        return macs;
    }
    SimProcess sim2;
};

// Unicast replies land on the endpoint socket of the interface that asked: each search must hear
// all of them, with no word of dropped replies.
TEST_F(ManyDevicesLab, TwoThousandUnicastDevicesAreAllListedInThreeSearchesInARow)
{
    constexpr int kDevices = 2000;
    startSim(kDevices, {"--unicast"});
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(searchForAll(kDevices).size(), std::size_t{kDevices});
        EXPECT_EQ(rows(), kDevices);
        EXPECT_EQ(messages(), "搜索...\n" + Repeated("搜索到设备\n", kDevices));
    }
}

TEST_F(ManyDevicesLab, BroadcastAndUnicastRepliesFromTwoSegmentsAreAllListed)
{
    startSim(1000, {"--unicast-every", "2"});
    ASSERT_EQ(sim2.start({"--devices", "1000", "--ip", "10.2.0.1", "--mac", "02-00-00-01-00-00",
                          "--unicast-every", "3"},
                         LabHost::Dev2),
              "");
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        const std::set<QString> macs = searchForAll(2000);
        EXPECT_EQ(macs.size(), 2000u);
        EXPECT_EQ(macs.count("000EEB000001"), 1u);
        EXPECT_EQ(macs.count("0200000103E7"), 1u); // the second segment's last device
        EXPECT_EQ(rows(), 2000);
        EXPECT_EQ(messages(), "搜索...\n" + Repeated("搜索到设备\n", 2000));
    }
}

// A receive queue far too small for one search's replies (the way a host without the privilege
// to enlarge it fares with many devices): what the system dropped on the endpoint socket the
// unicast replies land on is told in one line, and every reply is either listed or counted.
class DroppedRepliesLab : public ManyDevicesLab
{
protected:
    void beforeWindow() override { qputenv("KTR_RECEIVE_QUEUE_BYTES", "4096"); }
    void TearDown() override
    {
        ManyDevicesLab::TearDown();
        qunsetenv("KTR_RECEIVE_QUEUE_BYTES");
    }
};

TEST_F(DroppedRepliesLab, AreToldInOneMessageLineWithTheirCount)
{
    constexpr int kDevices = 2000;
    startSim(kDevices, {"--unicast"});
    search();
    ASSERT_TRUE(waitForMessage("接收队列已满", 10s)) << rows() << " rows";
    QTest::qWait(500);
    const QStringList lines = messages().split('\n', Qt::SkipEmptyParts);
    const QStringList told = lines.filter("接收队列已满");
    ASSERT_EQ(told.size(), 1) << messages().right(400).toStdString();
    const QRegularExpressionMatch m =
        QRegularExpression(
            "^接收队列已满，系统丢弃了 (\\d+) 个应答：设备列表可能不全，请再搜索一次$")
            .match(told[0]);
    ASSERT_TRUE(m.hasMatch()) << told[0].toStdString();
    const int dropped = m.captured(1).toInt();
    EXPECT_LT(rows(), kDevices);
    EXPECT_EQ(rows() + dropped, kDevices) << rows() << " rows, " << dropped << " dropped";
    EXPECT_EQ(lines.back(), told[0]) << "the line follows the replies";
    EXPECT_TRUE(boxes.boxes.empty());
}

} // namespace
} // namespace ktr::labgui
