// The window of the Windows build on Windows' own platform plugin, run by Wine in the lab's PC
// namespace against simulated devices: a search lists each device once (Windows hands a
// broadcast reply to two of the window's sockets), a double-click reads the device and fills the
// network page, and a device-settings write is verified by reading it back. Saves a picture of
// the window after the read to $KTR_SHOT. The devices (ktr-sim, in the devices namespace) are
// started by tests/lab/wine_window_lab_test.sh, which says how many in $KTR_LAB_DEVICES.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <set>

#include "app/control_ids.h"
#include "app/device_page.h"
#include "app/main_dialog.h"
#include "app/message_boxes.h"
#include "app/multi_line_edit.h"
#include "app/network_page.h"
#include "app/tab_control.h"
#include "app/template_builder.h"
#include "ops/app_state.h"
#include "tests/support/window/screenshot.h"

namespace ktr {
namespace {

using namespace std::chrono_literals;

// A message box would wait for a person; the test records what it would have said.
class RecordingBoxes : public MessageBoxes
{
public:
    void show(QWidget *, const QString &text, const QString &, BoxIcon) override
    {
        texts.push_back(text.toStdString());
    }
    std::vector<std::string> texts;
};

class WindowLab : public ::testing::Test
{
protected:
    void SetUp() override
    {
        devices = qEnvironmentVariableIntValue("KTR_LAB_DEVICES");
        if (devices < 1)
            GTEST_SKIP() << "KTR_LAB_DEVICES is not set: run through wine_window_lab_test.sh";
        dialog = std::make_unique<MainDialog>(state, boxes);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    void TearDown() override
    {
        if (dialog)
            dialog->network().shutDown();
    }

    static bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds timeout)
    {
        return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
    }
    void click(QWidget *button)
    {
        ASSERT_NE(qobject_cast<QPushButton *>(button), nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    int rows() const { return dialog->deviceList()->topLevelItemCount(); }
    QString cell(int row, int column) const
    {
        const QTreeWidgetItem *item = dialog->deviceList()->topLevelItem(row);
        return item ? item->text(column) : QString();
    }
    QString messages() const { return dialog->messageArea()->toPlainText(); }
    QString field(QWidget *page, int id) const
    {
        auto *edit = qobject_cast<QLineEdit *>(FindControl(*page, id));
        return edit ? edit->text() : QString();
    }
    void showTab(int index)
    {
        QTabBar *bar = dialog->tabControl()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        ASSERT_EQ(bar->currentIndex(), index);
    }
    // Searches until every device answered (the first search may go out before the simulated
    // devices listen), then gives late copies of the replies time to come.
    void searchAll()
    {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        do {
            click(FindControl(*dialog, ids::kSearch));
            if (waitFor([&] { return rows() >= devices; }, 1500ms))
                break;
        } while (std::chrono::steady_clock::now() < deadline);
        QTest::qWait(1000);
    }
    int rowOf(const QString &mac) const
    {
        for (int row = 0; row < rows(); ++row) {
            if (cell(row, 2) == mac)
                return row;
        }
        return -1;
    }
    void doubleClickRow(int row)
    {
        QTreeWidget *list = dialog->deviceList();
        const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    int devices = 0;
    AppState state;
    RecordingBoxes boxes;
    std::unique_ptr<MainDialog> dialog;
};

TEST_F(WindowLab, EachDeviceListedOnceReadFillsThePageAndAWriteIsVerified)
{
    searchAll();
    ASSERT_EQ(rows(), devices) << "each device once";
    std::set<QString> macs;
    for (int row = 0; row < rows(); ++row)
        macs.insert(cell(row, 2));
    EXPECT_EQ(static_cast<int>(macs.size()), devices);

    const int row = rowOf(QStringLiteral("000EEB000001"));
    ASSERT_GE(row, 0) << "the first device is not listed";
    EXPECT_EQ(cell(row, 0), "192.168.0.10");
    doubleClickRow(row);
    ASSERT_TRUE(waitFor([&] { return messages().contains("读取网络参数成功！"); }, 5s))
        << messages().toStdString();
    EXPECT_EQ(field(dialog->networkPage(), ids::kMacEdit), "00-0E-EB-00-00-01");
    EXPECT_EQ(field(dialog->networkPage(), ids::kStaticIp), "192.168.0.10");
    const QString shot = qEnvironmentVariable("KTR_SHOT");
    if (!shot.isEmpty()) {
        EXPECT_TRUE(SaveScreenshot(*dialog, shot)) << shot.toStdString();
    }

    showTab(1);
    click(FindControl(*dialog->devicePage(), ids::kReadDeviceBlock));
    ASSERT_TRUE(waitFor([&] { return messages().contains("读取设备参数成功！"); }, 5s))
        << messages().toStdString();
    auto *heartbeat =
        qobject_cast<QLineEdit *>(FindControl(*dialog->devicePage(), ids::kHeartbeatInterval));
    ASSERT_NE(heartbeat, nullptr);
    heartbeat->setFocus();
    QTest::keyClick(heartbeat, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(heartbeat, "65");
    ASSERT_EQ(heartbeat->text(), "65");
    click(FindControl(*dialog->devicePage(), ids::kWriteDeviceBlock));
    // The write counts as done once the device's record, read back, holds it.
    EXPECT_TRUE(waitFor([&] { return messages().contains("下载设备参数成功！"); }, 5s))
        << messages().toStdString();
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
}

} // namespace
} // namespace ktr

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
