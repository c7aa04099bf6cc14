// The main window after start-up, its message area, the About entry and the ways it ends.
#include "gui_support.h"

#include "app/about_dialog.h"
#include "app/config_app.h"
#include "app/control_ids.h"
#include "app/device_page.h"
#include "app/multi_line_edit.h"
#include "app/network_page.h"
#include "app/tab_control.h"
#include "app/tree_device_list.h"
#include "link/endpoints.h"
#include "ops/text_convert.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>

#include <thread>

namespace ktr::test {
namespace {

const QString kHelpShown = QStringLiteral(
    "  本软件适用于：KTR-4410-HT-LAN产品的参数配置。\n"
    "单击\"搜索\"按钮搜索设备，设备出现在设备列表后，双击设备更新信息到右边信息框中修改参数后，"
    "点击\"配置参数\"按钮，设备将保存参数并自动重启\n"
    "注意事项:\n"
    "1、确保软件与设备在同一局域网内\n"
    "2、请确定当前PC只使用一个网卡\n"
    "3、请按照 搜索->双击选中并读取->配置参数 的步骤来操作\n");

using StartUpTest = MainWindowTest;

TEST_F(StartUpTest, ShowsHelpHeadingsPortAddressAndNetworkPage)
{
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("KTR-4410-HT-LAN Setup V3.2"));
    EXPECT_EQ(messageAreaText(), kHelpShown);
    // The message text keeps the CR LF line ends the area does not show.
    EXPECT_EQ(QString::fromStdString(state.messageText.text()),
              QString(kHelpShown).replace("\n", "\r\n"));
    EXPECT_EQ(dialog->messageArea()->verticalScrollBar()->value(), 0);

    QTreeWidget *list = dialog->deviceList();
    ASSERT_EQ(list->columnCount(), 4);
    const QStringList headings{"设备IP", "设备名称", "MAC地址", "固件版本"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(list->headerItem()->text(column), headings[column]);
    }
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);

    EXPECT_EQ(qobject_cast<QLineEdit *>(mainControl(ids::kLocalPort))->text(), "1901");
    const auto addresses = LocalIpv4Addresses();
    const QString first =
        addresses.empty() ? QString() : QString::fromStdString(FormatDottedAddress(addresses[0]));
    EXPECT_EQ(qobject_cast<QLineEdit *>(mainControl(ids::kLocalAddress))->text(), first);
    if (InPrivateNetwork()) {
        EXPECT_EQ(first, "10.77.0.1");
    }

    EXPECT_EQ(dialog->tabControl()->tabBar()->currentIndex(), 0);
    EXPECT_TRUE(dialog->networkPage()->isVisible());
    EXPECT_FALSE(dialog->devicePage()->isVisible());
    EXPECT_FALSE(state.deviceBlockRead);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(StartUpTest, ListColumnsShareTheClientWidth)
{
    QTreeWidget *list = dialog->deviceList();
    const auto expected = DeviceListColumnWidths(list->maximumViewportSize().width());
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(list->columnWidth(column), expected[static_cast<std::size_t>(column)]);
    }
}

struct WidthCase
{
    int client;
    std::array<int, 4> widths;
};

class ColumnWidthTest : public ::testing::TestWithParam<WidthCase>
{
};

TEST_P(ColumnWidthTest, ThreeEleventhsAndTwoElevenths)
{
    EXPECT_EQ(DeviceListColumnWidths(GetParam().client), GetParam().widths);
}

INSTANTIATE_TEST_SUITE_P(Widths, ColumnWidthTest,
                         ::testing::Values(WidthCase{480, {130, 130, 130, 87}},
                                           WidthCase{0, {0, 0, 0, 0}}, WidthCase{10, {2, 2, 2, 1}},
                                           WidthCase{356, {97, 97, 97, 64}}),
                         [](const ::testing::TestParamInfo<WidthCase> &info) {
                             return "Client" + std::to_string(info.param.client);
                         });

using MessageAreaTest = MainWindowTest;

TEST_F(MessageAreaTest, TypedLettersAreUpperCaseAndLostAtTheNextRefresh)
{
    MultiLineEdit *area = dialog->messageArea();
    area->setFocus();
    area->moveCursor(QTextCursor::End);
    QTest::keyClicks(area, "ab-c1x");
    EXPECT_TRUE(messageAreaText().endsWith("AB-C1X")) << messageAreaText().toStdString();

    QApplication::clipboard()->setText("pasted text");
    area->paste();
    EXPECT_TRUE(messageAreaText().endsWith("AB-C1XPASTED TEXT"));

    dialog->refreshMessages();
    EXPECT_EQ(messageAreaText(), kHelpShown);
}

TEST_F(MessageAreaTest, RefreshShowsTheWholeTextFromItsFirstLine)
{
    state.messageText.clear();
    for (int line = 0; line < 200; ++line) {
        state.messageText.appendLine("搜索到设备 " + std::to_string(line));
    }
    dialog->messageArea()->verticalScrollBar()->setValue(50);
    dialog->refreshMessages();
    EXPECT_EQ(dialog->messageArea()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(dialog->messageArea()->blockCount(), 201);
    EXPECT_TRUE(messageAreaText().startsWith("搜索到设备 0\n"));
    EXPECT_TRUE(messageAreaText().endsWith("搜索到设备 199\n"));
}

TEST_F(MessageAreaTest, DeliveredDatagramsReachTheReplyDispatchEachWithItsOwnBytes)
{
    // Two replies handed over back to back, as the receiver thread does: both arrive intact.
    dialog->network().deliver(SearchReply(0xA6));
    dialog->network().deliver(SearchReply(0x07));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->repliesWaiting(); }, 1000));
    QTreeWidget *list = dialog->deviceList();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "192.168.0.7");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "192.168.0.166");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "QX-HT-LAN");
    EXPECT_EQ(list->topLevelItem(1)->text(2), "000EEB123456");
    EXPECT_EQ(list->topLevelItem(1)->text(3), "288");
    EXPECT_TRUE(messageAreaText().endsWith("搜索到设备\n搜索到设备\n"));
}

TEST_F(MessageAreaTest, DatagramsDeliveredFromAnotherThreadAreAllShownInTheirOrder)
{
    // As the receiver thread does: many replies, handed over while the window takes them.
    constexpr int kReplies = 200;
    std::thread receiver([this] {
        for (int reply = 0; reply < kReplies; ++reply)
            dialog->network().deliver(SearchReply(static_cast<std::uint8_t>(reply)));
    });
    const bool allShown = QTest::qWaitFor(
        [&] { return dialog->deviceList()->topLevelItemCount() == kReplies; }, 5000);
    receiver.join();
    ASSERT_TRUE(allShown) << dialog->deviceList()->topLevelItemCount();
    EXPECT_EQ(dialog->deviceList()->topLevelItem(0)->text(0), "192.168.0.199");
    EXPECT_EQ(dialog->deviceList()->topLevelItem(kReplies - 1)->text(0), "192.168.0.0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->repliesWaiting(); }, 1000));
    EXPECT_TRUE(messageAreaText().endsWith(QStringLiteral("搜索到设备\n").repeated(kReplies)));
}

TEST_F(MessageAreaTest, OurOwnRequestsComingBackAreNeverDispatched)
{
    const int linesBefore = dialog->messageArea()->blockCount();
    dialog->network().deliver(EncodeSearchRequest());
    EXPECT_FALSE(dialog->network().holdsDatagrams());
    QTest::qWait(50);
    EXPECT_EQ(dialog->messageArea()->blockCount(), linesBefore);
}

// The area as a user watches it: the characters taken out of it and put into it.
struct AreaChanges
{
    explicit AreaChanges(QTextDocument *document)
    {
        QObject::connect(document, &QTextDocument::contentsChange,
                         [this](int, int removedNow, int addedNow) {
                             removed += removedNow;
                             added += addedNow;
                         });
    }
    int removed = 0;
    int added = 0;
};

void ShowAsASearchDoes(AppState &state, MainDialog &dialog)
{
    state.messageText.clear();
    dialog.refreshMessages();
    state.messageText.appendLine("搜索...");
    dialog.refreshMessages();
}

TEST_F(MessageAreaTest, EachReplyAddsItsLineWithoutTheTextBeingSetAgain)
{
    ShowAsASearchDoes(state, *dialog);
    dialog->messageArea()->verticalScrollBar()->setValue(3);
    AreaChanges changes(dialog->messageArea()->document());
    // One at a time, as replies trickle in: each is shown before the next comes.
    constexpr int kReplies = 40;
    for (int reply = 0; reply < kReplies; ++reply)
        receive(SearchReply(static_cast<std::uint8_t>(reply)));
    // Setting the whole text again would take the shown text out each time.
    EXPECT_EQ(changes.removed, 0);
    EXPECT_EQ(changes.added, kReplies * QStringLiteral("搜索到设备\n").size());
    EXPECT_EQ(messageAreaText(), "搜索...\n" + QStringLiteral("搜索到设备\n").repeated(kReplies));
    EXPECT_EQ(dialog->messageArea()->blockCount(), kReplies + 2);
    EXPECT_EQ(dialog->messageArea()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(dialog->messageArea()->textCursor().position(), 0);
}

TEST_F(MessageAreaTest, TheFirstReplyIsShownAtOnceTheRestOfItsFrameTogetherAtItsEnd)
{
    QSignalSpy shown(dialog.get(), &MainDialog::repliesShown);
    QTreeWidget *list = dialog->deviceList();
    dialog->network().deliver(SearchReply(1));
    QCoreApplication::sendPostedEvents(&dialog->network());
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_TRUE(messageAreaText().endsWith("\n搜索到设备\n"));
    EXPECT_EQ(shown.count(), 1);

    // Within the frame the window takes on its own: nobody is woken for these two...
    dialog->network().deliver(SearchReply(2));
    dialog->network().deliver(SearchReply(3));
    QCoreApplication::sendPostedEvents(&dialog->network());
    EXPECT_EQ(dialog->ui().list.rowCount(), 1);
    EXPECT_EQ(list->topLevelItemCount(), 1);
    // ...and the list and the area show them at the frame's end, in one showing.
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 2; }, 1000));
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "192.168.0.3");
    EXPECT_EQ(list->topLevelItem(2)->text(0), "192.168.0.1");
    EXPECT_TRUE(messageAreaText().endsWith(QStringLiteral("搜索到设备\n").repeated(3)));
    QTest::qWait(50);
    EXPECT_EQ(shown.count(), 2);
}

TEST_F(MessageAreaTest, LettersTypedIntoTheAreaAreGoneOnceTheNextReplyIsShown)
{
    ShowAsASearchDoes(state, *dialog);
    MultiLineEdit *area = dialog->messageArea();
    area->setFocus();
    area->moveCursor(QTextCursor::End);
    QTest::keyClicks(area, "xy");
    ASSERT_EQ(messageAreaText(), "搜索...\nXY");

    receive(SearchReply());
    EXPECT_EQ(messageAreaText(), "搜索...\n搜索到设备\n");
    // The typing is gone for good: undo has nothing left to bring back or take out.
    EXPECT_FALSE(area->document()->isUndoAvailable());
    QTest::keySequence(area, QKeySequence::Undo);
    EXPECT_EQ(messageAreaText(), "搜索...\n搜索到设备\n");
}

TEST_F(MessageAreaTest, ANewTextReplacesTheShownOneWhateverItsLength)
{
    state.messageText.clear();
    state.messageText.appendLine("搜索...");
    dialog->refreshMessages();
    // Longer than what is shown, yet not a continuation of it.
    state.messageText.clear();
    state.messageText.appendLine("读取网络参数成功！");
    dialog->refreshMessages();
    EXPECT_EQ(messageAreaText(), "读取网络参数成功！\n");
    // Appended lines after it are added to it; undo does not take them back out.
    state.messageText.appendLine("读取设备参数成功！");
    dialog->refreshMessages();
    EXPECT_EQ(messageAreaText(), "读取网络参数成功！\n读取设备参数成功！\n");
    EXPECT_FALSE(dialog->messageArea()->document()->isUndoAvailable());
}

using AboutTest = MainWindowTest;

TEST_F(AboutTest, ContextMenuEntryOpensTheAboutBoxModally)
{
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(20, 20),
                                dialog->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(dialog.get(), &menuEvent);
    QMenu *menu = dialog->systemMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_EQ(actions[1]->text(), QStringLiteral("关于 KTR-HTD-LAN Config(&A)..."));

    QString caption;
    QStringList texts;
    bool hasIcon = false;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *about = qobject_cast<AboutDialog *>(modal)) {
            caption = about->windowTitle();
            for (QLabel *label : about->findChildren<QLabel *>()) {
                if (!label->pixmap().isNull()) {
                    hasIcon = true;
                } else {
                    texts << label->text();
                }
            }
            QTest::keyClick(about, Qt::Key_Escape);
        } else if (modal != nullptr) {
            modal->close();
        }
    });
    menu->hide();
    actions[1]->trigger();
    EXPECT_EQ(caption, QStringLiteral("关于 KTR-4410-HT-LAN V3.2"));
    EXPECT_TRUE(texts.contains("KTR-4410-HT-LAN V3.2"));
    EXPECT_TRUE(hasIcon);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(AboutDialogTest, OkClosesIt)
{
    AboutDialog about;
    about.show();
    auto *ok = qobject_cast<QPushButton *>(FindControl(about, 1));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    EXPECT_TRUE(ok->isDefault());
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

using EndingTest = MainWindowTest;

TEST_F(EndingTest, EnterAndEscOnEveryMainWindowControlKeepTheWindowAndThePages)
{
    auto *address = qobject_cast<QLineEdit *>(networkControl(ids::kStaticIp));
    address->setText("10.0.0.7");
    const QList<QWidget *> controls{mainControl(ids::kLocalAddress), mainControl(ids::kLocalPort),
                                    dialog->deviceList(), dialog->messageArea(),
                                    dialog->tabControl()->tabBar()};
    for (QWidget *control : controls) {
        for (auto [key, modifier] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                     std::pair{Qt::Key_Enter, Qt::KeypadModifier},
                                     std::pair{Qt::Key_Escape, Qt::NoModifier}}) {
            control->setFocus();
            QTest::keyClick(control, key, modifier);
            EXPECT_TRUE(dialog->isVisible()) << control->metaObject()->className() << key;
            EXPECT_EQ(dialog->result(), 0) << control->metaObject()->className() << key;
        }
    }
    EXPECT_EQ(address->text(), "10.0.0.7");
}

TEST_F(EndingTest, EnterOnTheDeviceListReadsTheSelectedRow)
{
    auto *row = new QTreeWidgetItem(dialog->deviceList(),
                                    QStringList{"192.168.0.10", "KTR", "000EEB000001", "288"});
    dialog->deviceList()->setCurrentItem(row);
    dialog->deviceList()->setFocus();
    QTest::keyClick(dialog->deviceList(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(qobject_cast<QLineEdit *>(networkControl(ids::kMacEdit))->text(),
              "00-0E-EB-00-00-01");
    EXPECT_TRUE(messageAreaText().startsWith("读取参数...\n"));
}

TEST_F(EndingTest, EnterAndEscOnAPageKeepTheWindowAndWhatWasTyped)
{
    auto *address = qobject_cast<QLineEdit *>(networkControl(ids::kStaticIp));
    address->setFocus();
    address->selectAll();
    QTest::keyClicks(address, "10.0.0.7");
    QTest::keyClick(address, Qt::Key_Return);
    QTest::keyClick(address, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(address, Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(address->text(), "10.0.0.7");

    // Enter on a focused page button runs it: "写MAC" with no device read only says so.
    auto *mac = qobject_cast<QLineEdit *>(networkControl(ids::kMacEdit));
    mac->setText("no mac");
    auto *writeMac = qobject_cast<QPushButton *>(networkControl(ids::kWriteMac));
    writeMac->setFocus();
    QTest::keyClick(writeMac, Qt::Key_Return);
    EXPECT_EQ(messageAreaText(), "请先搜索并双击列表中的设备\n");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(EndingTest, CtrlEnterInTheMessageAreaStartsALineAndEnterKeepsTheWindow)
{
    MultiLineEdit *area = dialog->messageArea();
    area->setFocus();
    area->moveCursor(QTextCursor::End);
    QTest::keyClick(area, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(area, "x");
    EXPECT_TRUE(messageAreaText().endsWith("\n\nX"));
    QTest::keyClick(area, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(messageAreaText().endsWith("\n\nX"));
}

TEST(SingleInstanceTest, ASecondCopyEndsWithItsMessageWhileTheFirstRuns)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("ktr-setup.lock");
    EXPECT_EQ(InstanceLockPath(), QDir::temp().filePath("ktr-setup.lock"));
    QLockFile first(path); // the copy already running
    ASSERT_TRUE(first.tryLock(0));

    RecordingBoxes boxes;
    ConfigApp second(&boxes, path);
    EXPECT_EQ(second.run(), 1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral("配置软件已经在运行：一台电脑上同时只能运行一个，请使用已打开的窗口"));
    EXPECT_EQ(boxes.boxes[0].caption, QCoreApplication::applicationName());
    EXPECT_EQ(QApplication::topLevelWidgets().count(), 0) << "no window was opened";
}

} // namespace
} // namespace ktr::test
