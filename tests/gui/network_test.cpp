// The window's network layer in a private network namespace: replies arriving on port 1901,
// searching, failures through the message-box seam, and shut-down.
#include "gui_support.h"

#include "app/control_ids.h"
#include "link/endpoints.h"
#include "link/udp_socket.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace ktr::test {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr std::uint32_t kVethAddress = 0x0A4D0001; // 10.77.0.1

class NetworkLayerTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        if (!InPrivateNetwork()) {
            GTEST_SKIP() << "needs the private network namespace of in_private_netns.sh";
        }
        MainWindowTest::SetUp();
    }

    // Sends the datagram to the tool's port as a device on this host would.
    static void SendAsDevice(const Bytes &datagram, std::uint32_t to = kLoopback)
    {
        UdpSocket device;
        ASSERT_TRUE(device.create());
        ASSERT_TRUE(device.sendTo(datagram, to, kPort));
    }

    void search()
    {
        QTest::mouseClick(qobject_cast<QPushButton *>(mainControl(ids::kSearch)), Qt::LeftButton);
    }

    int rows() const { return dialog->deviceList()->topLevelItemCount(); }
};

TEST_F(NetworkLayerTest, RepliesOnPort1901BecomeRowsAndLines)
{
    SendAsDevice(SearchReply(0x21));
    SendAsDevice(SearchReply(0x22));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 2; }, 5000));
    EXPECT_EQ(dialog->deviceList()->topLevelItem(0)->text(0), "192.168.0.34");
    EXPECT_EQ(dialog->deviceList()->topLevelItem(1)->text(0), "192.168.0.33");
    EXPECT_TRUE(messageAreaText().endsWith("搜索到设备\n搜索到设备\n"));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(NetworkLayerTest, SearchOpensOneSlotPerAddressAndEmptiesTheList)
{
    SendAsDevice(SearchReply());
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 1; }, 5000));
    search();
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(messageAreaText(), "搜索...\n");
    EXPECT_TRUE(dialog->network().endpoints().slot(0).open);
    EXPECT_EQ(dialog->network().endpoints().slot(0).localAddress, kVethAddress);
    EXPECT_FALSE(dialog->network().endpoints().slot(1).open);
    // Our own broadcast comes back as a request and changes nothing; a device's reply after
    // the search lands in the emptied list.
    SendAsDevice(SearchReply());
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 1; }, 5000));
    EXPECT_EQ(messageAreaText(), "搜索...\n搜索到设备\n");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(NetworkLayerTest, OurOwnSearchComingBackCostsTheWindowNothing)
{
    QSignalSpy shown(dialog.get(), &MainDialog::repliesShown);
    search();
    // Time for the looped-back request to arrive and for any frame it opened to end, so that
    // the reply after it would be shown on its own.
    QTest::qWait(100);
    SendAsDevice(SearchReply());
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 1; }, 5000));
    QTest::qWait(100);
    // Dispatched, even a request that is no reply would have the message area shown again.
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(messageAreaText(), "搜索...\n搜索到设备\n");
}

TEST_F(NetworkLayerTest, UnicastRepliesToASlotSocketAreReadToo)
{
    search();
    ASSERT_TRUE(dialog->network().endpoints().slot(0).open);
    // A device answering the interface address lands on the slot socket bound to it (the
    // receive socket shares the port; the kernel hands unicast to the more specific bind).
    SendAsDevice(SearchReply(0x44), kVethAddress);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 1; }, 5000));
    EXPECT_EQ(dialog->deviceList()->topLevelItem(0)->text(0), "192.168.0.68");
}

TEST_F(NetworkLayerTest, CloseBoxClosesTheSlotsAndEscKeepsTheWindowAndThem)
{
    search();
    ASSERT_TRUE(dialog->network().endpoints().slot(0).socket.isValid());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->network().endpoints().slot(0).socket.isValid());

    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->network().endpoints().slot(0).socket.isValid());
    EXPECT_TRUE(dialog->network().endpoints().slot(0).open); // the flags stay as they were
}

TEST_F(NetworkLayerTest, NothingIsDeliveredAfterShutDown)
{
    dialog->reject();
    dialog->network().shutDown();
    SendAsDevice(SearchReply());
    QTest::qWait(300);
    EXPECT_EQ(rows(), 0);
    // The port is free again: the receive socket is closed, not just left unread.
    UdpSocket probe;
    ASSERT_TRUE(probe.create());
    EXPECT_TRUE(probe.bind(0, kPort));
}

TEST_F(NetworkLayerTest, BindFailureOfASlotGoesThroughTheMessageBoxSeam)
{
    // Another program holds port 1901 on the interface address without sharing it.
    UdpSocket holder;
    ASSERT_TRUE(holder.create());
    dialog->network().shutDown(); // frees the wildcard bind so the holder can take the address
    ASSERT_TRUE(holder.bind(kVethAddress, kPort));
    search();
    ASSERT_FALSE(boxes.boxes.empty());
    const RecordedBox &box = boxes.boxes.front();
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("绑定SOCKET出错 -1  错误代码 ")))
        << box.text.toStdString();
    EXPECT_EQ(box.caption, QCoreApplication::applicationName());
    EXPECT_EQ(box.caption, QStringLiteral("ktr_gui_tests"));
    EXPECT_EQ(box.icon, BoxIcon::None);
    EXPECT_FALSE(dialog->network().endpoints().slot(0).open);
    // No slot opened, so the search went nowhere, and the user is told so.
    EXPECT_EQ(messageAreaText(),
              "搜索...\n没有可用的网络接口，命令没有发出：请检查网线和本机IP地址后重新搜索\n");
}

} // namespace
} // namespace ktr::test
