// The main window on a real X screen under a real window manager (icewm with its taskbar), at
// the laptop sizes technicians have: frame and title bar inside the screen's available area,
// centred, and the page buttons on the screen and not covered. Run by under_window_manager.sh.
#include "gui_support.h"

#include "app/control_ids.h"
#include "app/device_page.h"
#include "app/network_page.h"
#include "app/tab_control.h"
#include "app/window_placement.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTest>

namespace ktr::test {
namespace {

class WindowManagerTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
            GTEST_SKIP() << "needs an X screen with a window manager (under_window_manager.sh)";
        }
        MainWindowTest::SetUp();
        ASSERT_TRUE(QTest::qWaitFor([&] { return HasWindowFrame(*dialog); }, 5000))
            << "the window manager never framed the window";
        // The window looks for its frame every 50 ms and is centred again when it has one.
        QTest::qWait(500);
    }

    QRect available() const { return dialog->screen()->availableGeometry(); }

    // The button is shown, lies inside the available area and is what a click at its centre
    // reaches.
    void expectReachable(QPushButton *button) const
    {
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->isVisible()) << button->text().toStdString();
        const QRect global(button->mapToGlobal(QPoint(0, 0)), button->size());
        EXPECT_TRUE(available().contains(global))
            << button->text().toStdString() << " at " << global.x() << "," << global.y() << " "
            << global.width() << "x" << global.height();
        const QPoint centre = dialog->mapFromGlobal(global.center());
        EXPECT_EQ(dialog->childAt(centre), button) << button->text().toStdString();
    }
};

TEST_F(WindowManagerTest, FrameAndTitleBarLieCentredInTheAvailableArea)
{
    const QRect screen = dialog->screen()->geometry();
    // The taskbar takes part of the screen: the test would prove nothing without it.
    ASSERT_LT(available().height(), screen.height());
    const QRect frame = CurrentFrameGeometry(*dialog);
    std::cout << "screen " << screen.width() << "x" << screen.height() << ", available "
              << available().height() << " high, frame " << frame.width() << "x" << frame.height()
              << " at " << frame.x() << "," << frame.y() << std::endl;
    EXPECT_TRUE(available().contains(frame));
    EXPECT_GT(frame.top(), available().top() - 1);
    EXPECT_NEAR(frame.center().x(), available().center().x(), 2);
    EXPECT_NEAR(frame.center().y(), available().center().y(), 2);
}

TEST_F(WindowManagerTest, PageButtonsAndSearchAreOnTheScreen)
{
    expectReachable(qobject_cast<QPushButton *>(mainControl(ids::kSearch)));
    expectReachable(qobject_cast<QPushButton *>(networkControl(ids::kConfigureNetwork)));
    expectReachable(qobject_cast<QPushButton *>(networkControl(ids::kLoadDefaults)));
    QTabBar *bar = dialog->tabControl()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    ASSERT_TRUE(dialog->devicePage()->isVisible());
    expectReachable(qobject_cast<QPushButton *>(deviceControl(ids::kReadDeviceBlock)));
    expectReachable(qobject_cast<QPushButton *>(deviceControl(ids::kWriteDeviceBlock)));
}

} // namespace
} // namespace ktr::test
