// The main window's two hover buttons: they stand in for the network page's "参数配置" and
// "载入默认", are shown with their icons in the classic look, and their clicks still reach the
// page's commands.
#include "gui_support.h"

#include "app/control_ids.h"
#include "app/network_page.h"
#include "tests/support/window/screenshot.h"

#include <QPushButton>
#include <QTest>

namespace ktr::test {
namespace {

using HoverButtonsTest = MainWindowTest;

TEST_F(HoverButtonsTest, TakeOverThePageButtonsInPlace)
{
    struct Expected
    {
        HoverButton *button;
        int id;
        const char *caption;
    };
    const Expected expected[] = {
        {&dialog->secondHoverButton(), ids::kConfigureNetwork, "参数配置"},
        {&dialog->firstHoverButton(), ids::kLoadDefaults, "载入默认"},
    };
    for (const Expected &e : expected) {
        // A lookup by id on the page now finds the hover button, shown where the original was.
        EXPECT_EQ(networkControl(e.id), e.button) << e.id;
        EXPECT_EQ(e.button->parentWidget(), dialog->networkPage());
        EXPECT_TRUE(e.button->isVisibleTo(dialog->networkPage()));
        EXPECT_EQ(e.button->text(), QString::fromUtf8(e.caption));
        EXPECT_EQ(e.button->accessibleName(), QString::fromUtf8(e.caption));
        EXPECT_FALSE(e.button->isFlat());
        EXPECT_EQ(e.button->alignment(), 0);
    }
}

TEST_F(HoverButtonsTest, ClicksStillRunThePageCommands)
{
    dialog->show();
    state.pageDeviceMac = state.SelectedDeviceMac; // as if a device had been chosen and read
    boxes.answerYes = true;
    QTest::mouseClick(&dialog->firstHoverButton(), Qt::LeftButton);
    EXPECT_EQ(boxes.questions.size(), 1u) << "the reset asks first";
    EXPECT_TRUE(messageAreaText().startsWith("恢复出厂设置...\n"));
    QTest::mouseClick(&dialog->secondHoverButton(), Qt::LeftButton);
    EXPECT_TRUE(messageAreaText().startsWith("设置参数... \n"));
    if (const QByteArray dir = qgetenv("KTR_SHOTS_DIR"); !dir.isEmpty())
        SaveScreenshot(*dialog, QString::fromLocal8Bit(dir) + "/network-page-hover-buttons.png");
}

// Disabling the whole page greys its buttons only for as long as the page is disabled.
TEST_F(HoverButtonsTest, ComeBackEnabledWithTheirPage)
{
    dialog->show();
    dialog->networkPage()->setEnabled(false);
    EXPECT_FALSE(dialog->firstHoverButton().isEnabled());
    dialog->networkPage()->setEnabled(true);
    for (HoverButton *button : {&dialog->firstHoverButton(), &dialog->secondHoverButton()}) {
        EXPECT_TRUE(button->isEnabled()) << button->text().toStdString();
        EXPECT_TRUE(button->originalControl()->isEnabled()) << button->text().toStdString();
    }
    state.pageDeviceMac = state.SelectedDeviceMac; // as if a device had been chosen and read
    boxes.answerYes = true;
    QTest::mouseClick(&dialog->firstHoverButton(), Qt::LeftButton);
    EXPECT_TRUE(messageAreaText().startsWith("恢复出厂设置...\n"));
}

// Code that kept the original button may still disable and enable it explicitly.
TEST_F(HoverButtonsTest, FollowTheirOriginalsExplicitState)
{
    HoverButton &button = dialog->secondHoverButton();
    button.originalControl()->setEnabled(false);
    EXPECT_FALSE(button.isEnabled());
    button.originalControl()->setEnabled(true);
    EXPECT_TRUE(button.isEnabled());
    button.setEnabled(false);
    EXPECT_FALSE(button.originalControl()->isEnabled());
    button.setEnabled(true);
    EXPECT_TRUE(button.originalControl()->isEnabled());
}

} // namespace
} // namespace ktr::test
