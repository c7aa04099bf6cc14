// The window's finish: where focus starts, the device the commands go to marked in the list,
// the device page saying whose values it shows, the list's hint, and the start-up box over the
// window.
#include "gui_support.h"

#include "app/control_ids.h"
#include "app/device_page.h"
#include "app/network_page.h"
#include "app/tree_device_list.h"
#include "link/udp_socket.h"
#include "ops/device_block.h"
#include "ops/network_block.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

namespace ktr::test {
namespace {

class FinishTest : public MainWindowTest
{
protected:
    QTreeWidget *list() const { return dialog->deviceList(); }

    void doubleClickRow(int row)
    {
        QTreeWidgetItem *item = list()->topLevelItem(row);
        const QPoint at = list()->visualItemRect(item).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
    }

    // The colour of the row's empty right end, as painted.
    QRgb rowBackground(int row) const
    {
        const QImage image = list()->viewport()->grab().toImage();
        const QRect rect = list()->visualItemRect(list()->topLevelItem(row));
        const qreal ratio = image.devicePixelRatio();
        return image.pixel(qRound((list()->viewport()->width() - 3) * ratio),
                           qRound(rect.center().y() * ratio));
    }

    // Which rows are bold, by their IP address.
    QStringList boldRows() const
    {
        QStringList rows;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list()->topLevelItem(i);
            bool allBold = true;
            for (int column = 0; column < list()->columnCount(); ++column) {
                allBold = allBold && item->font(column).bold();
            }
            if (allBold) {
                rows << item->text(0);
            }
        }
        return rows;
    }
};

TEST_F(FinishTest, FocusStartsOnSearchNotInTheAddressBox)
{
    EXPECT_EQ(dialog->focusWidget(), mainControl(ids::kSearch));
}

TEST_F(FinishTest, TheDoubleClickedDeviceStaysMarkedUntilAnotherIsChosenOrTheListEmpties)
{
    receive(SearchReply(0x21));
    receive(SearchReply(0x22)); // on top
    EXPECT_TRUE(boldRows().isEmpty());

    doubleClickRow(1);
    EXPECT_EQ(boldRows(), QStringList{"192.168.0.33"});
    // A single click only highlights; the target stays what was double-clicked.
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                      list()->visualItemRect(list()->topLevelItem(0)).center());
    EXPECT_EQ(boldRows(), QStringList{"192.168.0.33"});
    // A late reply lands on top unmarked; the marked row moves down with its device.
    receive(SearchReply(0x23));
    EXPECT_EQ(boldRows(), QStringList{"192.168.0.33"});
    // What a person sees: the marked row stands out from an unmarked one, also while another
    // row is selected (bold alone would not show in a bitmap face).
    EXPECT_NE(rowBackground(2), rowBackground(0));
    EXPECT_NE(rowBackground(2), rowBackground(1));

    doubleClickRow(0);
    EXPECT_EQ(boldRows(), QStringList{"192.168.0.35"});
    EXPECT_EQ(qobject_cast<QLineEdit *>(networkControl(ids::kMacEdit))->text(),
              "00-0E-EB-12-34-56");

    dialog->ui().list.deleteAllRows(); // what a search does
    receive(SearchReply(0x35));
    EXPECT_TRUE(boldRows().isEmpty());
}

TEST_F(FinishTest, DevicePageSaysWhoseValuesItShows)
{
    QLabel *source = dialog->devicePage()->sourceLine();
    EXPECT_EQ(source->text(), QStringLiteral("尚未读取设备参数，下面是默认值"));
    // Replies are taken only for requests that went out: the search opens the endpoint of the
    // namespace's one interface, and its broadcast stays inside the namespace.
    if (!InPrivateNetwork()) {
        GTEST_SKIP() << "needs the private network namespace of in_private_netns.sh";
    }
    dialog->searchClicked();

    receive(SearchReply(0x42));
    doubleClickRow(0);
    DeviceBlock block;
    block.terminalAddress = 0x0A0B0C0D;
    const DeviceBody body = EncodeDeviceBody(block);
    const MacAddress mac{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56};
    // A write acknowledgement is no read: the line stays.
    receive(EncodeTunnelReply(kCmdTunnel, mac, SealTunnelFrame(kTunnelWriteBlock, {})));
    EXPECT_EQ(source->text(), QStringLiteral("尚未读取设备参数，下面是默认值"));

    dialog->devicePage()->readClicked(); // "读取设备参数": the reply is awaited
    receive(EncodeTunnelReply(kCmdTunnel, mac, SealTunnelFrame(kTunnelReadBlock, body)));
    EXPECT_EQ(qobject_cast<QLineEdit *>(deviceControl(ids::kTerminalAddress))->text(), "0a0b0c0d");
    EXPECT_EQ(source->text(), QStringLiteral("下面是设备 000EEB123456 (192.168.0.66) 的参数"));
}

TEST_F(FinishTest, NetworkPageSaysWhoseValuesItShows)
{
    QLabel *source = dialog->networkPage()->sourceLine();
    EXPECT_EQ(source->text(), QStringLiteral("尚未读取网络参数，本页是默认值"));
    EXPECT_TRUE(source->isVisible());
    if (!InPrivateNetwork()) {
        GTEST_SKIP() << "needs the private network namespace of in_private_netns.sh";
    }
    dialog->searchClicked();
    receive(SearchReply(0x42));
    doubleClickRow(0); // asks for the device's network settings
    Bytes payload{0x00, 0x0E, 0xEB, 0x12, 0x34, 0x56};
    NetworkBlock block;
    block.setAddress(AddressField::StaticIp, 0x0A000007);
    payload.insert(payload.end(), block.bytes().begin(), block.bytes().end());
    receive(EncodeReply(kCmdReadNetwork, payload));
    EXPECT_EQ(qobject_cast<QLineEdit *>(networkControl(ids::kStaticIp))->text(), "10.0.0.7");
    EXPECT_EQ(source->text(), QStringLiteral("本页是设备 000EEB123456 (192.168.0.66) 的参数"));
}

TEST_F(FinishTest, WritesSayToChooseADeviceUntilOneHasBeenRead)
{
    const auto clickEach = [this] {
        for (QWidget *control :
             {networkControl(ids::kConfigureNetwork), networkControl(ids::kLoadDefaults),
              networkControl(ids::kWriteMac), deviceControl(ids::kWriteDeviceBlock)}) {
            auto *button = qobject_cast<QPushButton *>(control);
            button->click();
            EXPECT_EQ(messageAreaText(), QStringLiteral("请先搜索并双击列表中的设备\n"))
                << button->text().toStdString();
        }
    };
    clickEach();
    if (InPrivateNetwork()) {
        // With the endpoint open a write would now leave, addressed to the all-zero MAC.
        dialog->searchClicked();
        receive(SearchReply(0x42));
        clickEach();
        // The read is out, its answer not in: the page still shows no device's settings.
        doubleClickRow(0);
        clickEach();
    }
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(boxes.questions.empty()) << "no reset question without a device";
}

TEST_F(FinishTest, ListHintSaysToDoubleClickEvenOverEmptySpace)
{
    QWidget *viewport = list()->viewport();
    const QPoint at(viewport->width() / 2, viewport->height() - 5);
    QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &help);
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("双击列表中的设备，读取并配置它的参数"));
    QToolTip::hideText();
}

// Port 1901 held by another program without sharing: the box waits for the window and warns.
TEST(StartUpBoxTest, PortInUseBoxIsAWarningShownOverTheWindow)
{
    if (!InPrivateNetwork()) {
        GTEST_SKIP() << "needs the private network namespace of in_private_netns.sh";
    }
    UdpSocket holder;
    ASSERT_TRUE(holder.create());
    ASSERT_TRUE(holder.bind(0, kPort));

    AppState state;
    RecordingBoxes boxes;
    MainDialog dialog(state, boxes);
    EXPECT_TRUE(boxes.boxes.empty()) << "a box before the window";
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.empty(); }, 3000));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const RecordedBox &box = boxes.boxes.front();
    EXPECT_TRUE(box.ownerShown);
    EXPECT_EQ(box.icon, BoxIcon::Exclamation);
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("本机的 UDP 端口 1901 已被另一个程序占用")))
        << box.text.toStdString();
    EXPECT_TRUE(
        box.text.endsWith(QStringLiteral("系统错误：%1（错误代码 %2）")
                              .arg(QString::fromStdString(SocketErrorText(AddressInUseError())))
                              .arg(AddressInUseError())))
        << box.text.toStdString();
    dialog.network().shutDown();
}

} // namespace
} // namespace ktr::test
