// Behaviour of the hover button: take-over, button messages, hover, focus, clicks, menu.
#include "test_support.h"

#include "widgets/hover_button.h"
#include "widgets/qu_menu.h"

#include <QDialog>
#include <QFontMetrics>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace ktr;

namespace {

QPushButton *MakeControl(QWidget *page, int id, const QString &text, QRect geometry)
{
    auto *b = new QPushButton(text, page);
    b->setProperty("ktrId", id);
    b->setObjectName(QStringLiteral("ctrl_%1").arg(id));
    b->setGeometry(geometry);
    return b;
}

QWidget *FindById(QWidget *page, int id)
{
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (w->property("ktrId").isValid() && w->property("ktrId").toInt() == id)
            return w;
    }
    return nullptr;
}

void SendMove(QWidget *w, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

TEST(HoverButtonTakeOver, DefaultPushButtonBecomesOwnerDrawnDefault)
{
    QDialog page;
    QPushButton *original = MakeControl(&page, 1024, QStringLiteral("参数配置"), {5, 6, 70, 24});
    original->setDefault(true);
    int pageClicks = 0;
    QObject::connect(original, &QPushButton::clicked, [&] { ++pageClicks; });
    page.show();

    HoverButton button;
    ASSERT_TRUE(button.takeOverControl(&page, 1024));
    EXPECT_TRUE(button.hasWindow());
    EXPECT_EQ(button.buttonStyle() & HoverButton::kTypeMask, HoverButton::kTypeOwnerDraw);
    EXPECT_TRUE(button.isDefaultButton());
    EXPECT_EQ(button.takenOverType(), 0u);
    EXPECT_EQ(button.dialogCode() & 0x30u, HoverButton::kDlgcDefPushButton);
    EXPECT_EQ(button.geometry(), QRect(5, 6, 70, 24));
    EXPECT_EQ(button.text(), QStringLiteral("参数配置"));
    EXPECT_EQ(button.objectName(), QStringLiteral("ctrl_1024"));
    EXPECT_TRUE(button.isVisible());
    EXPECT_FALSE(original->isVisible());
    EXPECT_EQ(FindById(&page, 1024), &button);

    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(pageClicks, 1);
    // Disabling through the original, as a page holding its pointer would, reaches the button.
    original->setEnabled(false);
    EXPECT_FALSE(button.isEnabled());
    button.setDisabled(true);
    button.setEnabled(true);
    EXPECT_TRUE(original->isEnabled());
}

TEST(HoverButtonTakeOver, DisabledParentLeavesBothButtonsEnabledAgain)
{
    QWidget page;
    QPushButton *original = MakeControl(&page, 1025, QStringLiteral("载入默认"), {5, 6, 70, 24});
    HoverButton button;
    ASSERT_TRUE(button.takeOverControl(&page, 1025));
    page.setEnabled(false);
    EXPECT_FALSE(button.isEnabled());
    page.setEnabled(true);
    EXPECT_TRUE(button.isEnabled());
    EXPECT_TRUE(original->isEnabled());

    // A page that starts disabled hands over no explicit disabling either.
    QWidget disabledPage;
    MakeControl(&disabledPage, 1024, QStringLiteral("参数配置"), {5, 6, 70, 24});
    disabledPage.setEnabled(false);
    HoverButton second;
    ASSERT_TRUE(second.takeOverControl(&disabledPage, 1024));
    disabledPage.setEnabled(true);
    EXPECT_TRUE(second.isEnabled());
}

TEST(HoverButtonTakeOver, MissingControlLeavesButtonWithoutWindow)
{
    QWidget page;
    HoverButton button;
    EXPECT_FALSE(button.takeOverControl(&page, 999));
    EXPECT_FALSE(button.takeOverControl(nullptr, 1));
    EXPECT_FALSE(button.hasWindow());
    EXPECT_EQ(button.SetIcons(133, 25, 25), HoverButton::Ok);
    EXPECT_EQ(button.SetFlat(false, true), HoverButton::Ok);
    EXPECT_EQ(button.SetAlignment(0, true), HoverButton::Ok);
    EXPECT_EQ(button.icon(0).size(), QSize(25, 25));
}

TEST(HoverButtonMessages, SetStyleTogglesDefaultAndStaysOwnerDrawn)
{
    HoverButton button;
    EXPECT_EQ(button.setButtonStyle(1), 0);
    EXPECT_TRUE(button.isDefaultButton());
    EXPECT_EQ(button.dialogCode() & 0x30u, HoverButton::kDlgcDefPushButton);
    button.setButtonStyle(5);
    EXPECT_TRUE(button.isDefaultButton());
    button.setButtonStyle(0);
    EXPECT_FALSE(button.isDefaultButton());
    EXPECT_EQ(button.dialogCode() & 0x30u, HoverButton::kDlgcUndefPushButton);
    button.setButtonStyle(5);
    EXPECT_FALSE(button.isDefaultButton());
    for (std::uint32_t style : {0x01u, 0x00u, 0x05u, 0x1Fu})
        EXPECT_EQ((button.setButtonStyle(style), button.buttonStyle() & 0x1F), 0x0Bu) << style;
    button.setButtonStyle(0x11F);
    EXPECT_EQ(button.buttonStyle(), 0x10Bu);
}

TEST(HoverButtonMessages, SetCheckOnlyInCheckBoxMode)
{
    QWidget page;
    auto *toggle = MakeControl(&page, 7, QStringLiteral("T"), {0, 0, 30, 20});
    toggle->setCheckable(true);
    HoverButton checkBox;
    ASSERT_TRUE(checkBox.takeOverControl(&page, 7));
    ASSERT_TRUE(checkBox.isCheckBoxMode());
    EXPECT_EQ(checkBox.setCheck(2), 0);
    EXPECT_EQ(checkBox.getCheck(), 1);
    checkBox.setCheck(0);
    EXPECT_EQ(checkBox.getCheck(), 0);
    page.show();
    QTest::mouseClick(&checkBox, Qt::LeftButton);
    EXPECT_TRUE(checkBox.IsChecked());
    QTest::mouseClick(&checkBox, Qt::LeftButton);
    EXPECT_FALSE(checkBox.IsChecked());

    HoverButton normal;
    normal.setCheck(2);
    EXPECT_EQ(normal.getCheck(), 0);
}

TEST(HoverButtonSettings, RejectedValuesChangeNothing)
{
    HoverButton button;
    EXPECT_EQ(button.SetAlignment(2), HoverButton::Ok);
    EXPECT_EQ(button.SetAlignment(4), HoverButton::BadAlignment);
    EXPECT_EQ(button.alignment(), 2);
    EXPECT_EQ(button.SetAlignment(0x101), HoverButton::Ok); // only the low byte counts
    EXPECT_EQ(button.alignment(), 1);

    EXPECT_EQ(button.SetPressedStyle(1), HoverButton::Ok);
    EXPECT_EQ(button.pressedOffset(), QPoint(0, 2));
    EXPECT_EQ(button.SetPressedStyle(2), HoverButton::BadPressedStyle);
    EXPECT_EQ(button.pressedOffset(), QPoint(0, 2));
    EXPECT_EQ(button.SetPressedStyle(0x100), HoverButton::Ok);
    EXPECT_EQ(button.pressedOffset(), QPoint(1, 1));
}

TEST(HoverButtonSettings, IconsAndTheirFailures)
{
    HoverButton button;
    EXPECT_EQ(button.SetIconHandles(test::Solid(4, 4, QColor(255, 0, 0)), HoverButton::kIdleGrey),
              HoverButton::Ok);
    EXPECT_EQ(button.icon(1).pixelColor(1, 1), QColor(76, 76, 76));
    EXPECT_EQ(button.SetIconHandles(QImage(), test::Solid(4, 4, Qt::red)), HoverButton::BadImage);
    EXPECT_TRUE(button.icon(0).isNull());
    EXPECT_TRUE(button.icon(1).isNull());
    // An icon resource that does not exist: no image at all.
    EXPECT_EQ(button.SetIcons(133, 16, 16, 4242, 16, 16), HoverButton::BadImage);
    EXPECT_TRUE(button.icon(0).isNull());
}

TEST(HoverButtonSettings, LinkIsCutAtWholeCharactersWithinTheBuffer)
{
    HoverButton button;
    button.SetLink(QString(200, QChar(0x53C2))); // 3 bytes each in UTF-8
    EXPECT_EQ(button.link().size(), 86);
    EXPECT_LE(button.link().toUtf8().size(), 259);
    button.SetLink(QStringLiteral("https://example.invalid/"));
    EXPECT_EQ(button.link(), QStringLiteral("https://example.invalid/"));
}

class HoverButtonLive : public testing::Test
{
protected:
    void SetUp() override
    {
        dialog.resize(200, 80);
        before = new QPushButton(QStringLiteral("A"), &dialog);
        before->setGeometry(0, 0, 40, 20);
        button = new HoverButton(&dialog);
        button->setGeometry(50, 0, 40, 20);
        after = new QPushButton(QStringLiteral("C"), &dialog);
        after->setGeometry(100, 0, 40, 20);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        before->setFocus();
    }

    QDialog dialog;
    QPushButton *before = nullptr;
    HoverButton *button = nullptr;
    QPushButton *after = nullptr;
};

TEST_F(HoverButtonLive, HoverNeedsFlatLookAndNoDragFromOutside)
{
    SendMove(button, {5, 5}, Qt::LeftButton);
    EXPECT_FALSE(button->isHovered());
    SendMove(button, {5, 5}, Qt::NoButton);
    EXPECT_TRUE(button->isHovered());
    SendMove(button, {6, 5}, Qt::LeftButton); // already lit: stays lit while pressing
    EXPECT_TRUE(button->isHovered());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_FALSE(button->isHovered());

    button->SetFlat(false);
    SendMove(button, {5, 5}, Qt::NoButton);
    EXPECT_FALSE(button->isHovered());
}

TEST_F(HoverButtonLive, HoverEndsOnFocusLossAndDisabling)
{
    button->setFocus();
    SendMove(button, {5, 5}, Qt::NoButton);
    ASSERT_TRUE(button->isHovered());
    after->setFocus();
    EXPECT_FALSE(button->isHovered());
    SendMove(button, {5, 5}, Qt::NoButton);
    ASSERT_TRUE(button->isHovered());
    button->setEnabled(false);
    EXPECT_FALSE(button->isHovered());
}

TEST_F(HoverButtonLive, DisablingMovesFocusToNextTabStopOrParent)
{
    ASSERT_TRUE(before->hasFocus());
    button->setEnabled(false);
    EXPECT_TRUE(after->hasFocus()); // even though the button did not have the focus

    button->setEnabled(true);
    after->setEnabled(false);
    before->setEnabled(false);
    button->setFocus();
    button->setEnabled(false);
    EXPECT_TRUE(dialog.hasFocus() || QApplication::focusWidget() == nullptr ||
                QApplication::focusWidget() == &dialog);
    EXPECT_FALSE(button->hasFocus());
}

TEST_F(HoverButtonLive, DoubleClickCountsAsTwoClicks)
{
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    const QPointF at(5, 5);
    const QPointF global = button->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(button, &e);
    }
    EXPECT_EQ(clicks.count(), 2);
}

namespace {

class CommandSink : public QObject
{
public:
    int command = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == MenuCommandEvent::eventType()) {
            command = static_cast<MenuCommandEvent *>(e)->command();
            return true;
        }
        return QObject::event(e);
    }
};

} // namespace

TEST_F(HoverButtonLive, MenuDropsAtBottomLeftAndPostsChosenCommand)
{
    auto menu = std::make_unique<QuMenu>();
    menu->Attach(CreateNativeMenu());
    auto popup = std::make_unique<QuMenu>();
    popup->Attach(CreateNativePopupMenu());
    popup->AppendItem(QStringLiteral("&Open\tCtrl+O"), kMfString, 0x12345);
    popup->AppendItem(QStringLiteral("E&xit"), kMfString, 301);
    menu->AppendItem(QStringLiteral("&File"), kMfPopup, popup->handle());
    CommandSink sink;
    button->SetMenu(std::move(menu), &sink);

    QPoint shownAt;
    int popupCalls = 0;
    button->SetMenuCallback([&](QuMenu &) { ++popupCalls; });
    QTimer::singleShot(50, [&] {
        QWidget *shown = QApplication::activePopupWidget();
        ASSERT_NE(shown, nullptr);
        shownAt = shown->geometry().topLeft();
        // A menu character chooses the item marked with it.
        QTest::keyClick(shown, Qt::Key_O);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(popupCalls, 1);
    EXPECT_EQ(shownAt, button->mapToGlobal(QPoint(0, button->height())));
    EXPECT_EQ(sink.command, 0x2345); // low 16 bits of the command
    button->SetMenu(nullptr, nullptr);
    popup.reset();
}
