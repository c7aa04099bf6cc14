// The binding of the main window's two hover buttons to the network page's buttons, on a page
// of plain buttons: which control each takes over, the icon each gets and its size.
#include "app/control_ids.h"
#include "app/main_window_buttons.h"
#include "widgets/hover_button.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace ktr {
namespace {

QPushButton *MakeControl(QWidget *page, int id, const QString &text, QRect geometry)
{
    auto *b = new QPushButton(text, page);
    b->setProperty("ktrId", id);
    b->setObjectName(QStringLiteral("ctrl_%1").arg(id));
    b->setGeometry(geometry);
    return b;
}

TEST(HoverButtonTakeOver, MainWindowBindingUsesNetworkPageButtons)
{
    QWidget page;
    MakeControl(&page, ids::kConfigureNetwork, QStringLiteral("参数配置"), {10, 10, 120, 30});
    MakeControl(&page, ids::kLoadDefaults, QStringLiteral("载入默认"), {140, 10, 120, 30});
    HoverButton first, second;
    BindMainWindowHoverButtons(&page, first, second);
    EXPECT_EQ(second.objectName(), QStringLiteral("ctrl_1024"));
    EXPECT_EQ(first.objectName(), QStringLiteral("ctrl_1025"));
    for (HoverButton *b : {&first, &second}) {
        EXPECT_FALSE(b->isFlat());
        EXPECT_EQ(b->alignment(), 0);
        EXPECT_EQ(b->icon(0).size(), QSize(25, 25));
        EXPECT_TRUE(b->icon(1).isNull());
    }
    // The two icons differ: 133 configure, 135 defaults.
    EXPECT_NE(first.icon(0), second.icon(0));

    QWidget empty;
    HoverButton a, b;
    BindMainWindowHoverButtons(&empty, a, b);
    EXPECT_FALSE(a.hasWindow());
    EXPECT_FALSE(b.hasWindow());
    EXPECT_EQ(a.icon(0).size(), QSize(25, 25));
}

TEST(HoverButtonTakeOver, NarrowButtonGetsASmallerIconAndKeepsItsCaptionOnOneLine)
{
    QWidget page;
    MakeControl(&page, ids::kConfigureNetwork, QStringLiteral("参数配置"), {10, 10, 120, 30});
    MakeControl(&page, ids::kLoadDefaults, QStringLiteral("载入默认"), {140, 10, 74, 30});
    HoverButton first, second;
    BindMainWindowHoverButtons(&page, first, second);
    EXPECT_EQ(second.icon(0).size(), QSize(25, 25));
    const int side = first.icon(0).width();
    EXPECT_LT(side, 25);
    EXPECT_GE(side, 12);
    EXPECT_LE(side + QFontMetrics(first.font()).horizontalAdvance(first.text()) + 12, 74);
}

} // namespace
} // namespace ktr
