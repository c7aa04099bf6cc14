// Renders the controls as a person would see them, for looking at: a small dialog with hover
// buttons, and a menu dropped from a hover button in each look. Written to /tmp/ktr-shots/.
#include "test_support.h"

#include "widgets/hover_button.h"
#include "widgets/menu_item_painter.h"
#include "widgets/qu_menu.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace ktr;

namespace {

const QString kShots = QStringLiteral("/tmp/ktr-shots");

bool Save(const QImage &image, const QString &name)
{
    QDir().mkpath(kShots);
    return image.save(kShots + QLatin1Char('/') + name);
}

// Screenshots use the desktop's ordinary colours, not the tests' marker palette.
struct NaturalPalette
{
    NaturalPalette() { QApplication::setPalette(QApplication::style()->standardPalette()); }
    ~NaturalPalette() { test::InstallTestPalette(); }
};

} // namespace

TEST(Screenshots, HoverButtonsInDialog)
{
    NaturalPalette palette;
    QDialog dialog;
    dialog.resize(300, 90);
    auto *flat = new HoverButton(&dialog);
    flat->setText(QStringLiteral("参数配置"));
    flat->setGeometry(10, 10, 130, 32);
    flat->SetIcons(133, 25, 25, HoverButton::kIdleGrey);
    auto *classic = new HoverButton(&dialog);
    classic->setText(QStringLiteral("载入默认"));
    classic->setGeometry(150, 10, 130, 32);
    classic->SetIcons(135, 25, 25);
    classic->SetFlat(false);
    auto *disabled = new HoverButton(&dialog);
    disabled->setText(QStringLiteral("载入默认"));
    disabled->setGeometry(150, 50, 130, 32);
    disabled->SetIcons(135, 25, 25);
    disabled->SetFlat(false);
    disabled->setEnabled(false);
    auto *label = new QLabel(QStringLiteral("flat (idle, grey icon)"), &dialog);
    label->setGeometry(10, 55, 135, 20);
    dialog.show();
    ASSERT_TRUE(Save(dialog.grab().toImage(), QStringLiteral("hover_button_dialog.png")));

    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), flat->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(flat, &move);
    ASSERT_TRUE(flat->isHovered());
    label->setText(QStringLiteral("flat (hovered)"));
    ASSERT_TRUE(Save(dialog.grab().toImage(), QStringLiteral("hover_button_dialog_hovered.png")));
}

namespace {

void DropMenuScreenshot(const MenuLook &look, const QString &name)
{
    NaturalPalette palette;
    OverrideMenuLook(look);
    QDialog dialog;
    dialog.resize(320, 260);
    auto *button = new HoverButton(&dialog);
    button->setText(QStringLiteral("参数配置"));
    button->setGeometry(10, 10, 130, 32);
    button->SetIcons(133, 25, 25);

    RegisterToolbarResource(901, {[] {
                                      QImage strip(32, 15, QImage::Format_ARGB32);
                                      strip.fill(Qt::transparent);
                                      QPainter p(&strip);
                                      p.fillRect(2, 2, 12, 11, QColor(40, 110, 200));
                                      p.fillRect(18, 1, 12, 13, QColor(30, 150, 60));
                                      return strip;
                                  }(),
                                  {7001, 7002}});
    auto menu = std::make_unique<QuMenu>();
    menu->Attach(CreateNativeMenu());
    auto popupOwner = std::make_unique<QuMenu>();
    QuMenu *popup = popupOwner.get();
    popup->Attach(CreateNativePopupMenu());
    popup->AppendItem(QStringLiteral("读取设备参数(&R)\tCtrl+R"), kMfString, 7001, 901);
    popup->AppendItem(QStringLiteral("配置设备参数(&W)\tCtrl+W"), kMfString, 7002, 901);
    popup->AppendItem(QString(), kMfString, 0);
    popup->AppendItem(QStringLiteral("自动搜索(&A)"), kMfChecked, 7003);
    popup->AppendItem(QStringLiteral("不可用(&D)"), kMfGrayed, 7004);
    popup->AppendItem(QStringLiteral("E&xit"), kMfString, 7005);
    popup->AlignAccelerators();
    menu->AppendItem(QStringLiteral("&Menu"), kMfPopup, popup->handle());
    button->SetMenu(std::move(menu), &dialog);
    dialog.show();

    QImage shot;
    QTimer::singleShot(50, [&] {
        QWidget *shown = QApplication::activePopupWidget();
        if (!shown)
            return;
        QTest::keyClick(shown, Qt::Key_Down); // select the first item
        QTest::keyClick(shown, Qt::Key_Down);
        QImage canvas(dialog.size(), QImage::Format_ARGB32);
        dialog.render(&canvas);
        QPainter p(&canvas);
        const QPoint offset = shown->mapToGlobal(QPoint()) - dialog.mapToGlobal(QPoint());
        shown->render(&p, offset);
        p.end();
        shot = canvas;
        shown->close();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    OverrideMenuLook(std::nullopt);
    button->SetMenu(nullptr, nullptr);
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(Save(shot, name));
}

} // namespace

TEST(Screenshots, MenuDroppedFromHoverButtonClassicLook)
{
    DropMenuScreenshot(MenuLook{1, false, false, true}, QStringLiteral("menu_classic.png"));
}

TEST(Screenshots, MenuDroppedFromHoverButtonFlatLook)
{
    DropMenuScreenshot(MenuLook{7, true, true, true}, QStringLiteral("menu_flat.png"));
}
