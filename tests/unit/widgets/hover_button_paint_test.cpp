// Pixel tests of the hover button's painting on rendered images.
#include "test_support.h"

#include "widgets/hover_button.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

using namespace ktr;
using namespace ktr::test;

namespace {

constexpr int kW = 40;
constexpr int kH = 20;

QImage Paint(HoverButton &button, ButtonDrawState state = {}, int w = kW, int h = kH)
{
    QImage image = Canvas(w, h);
    button.resize(w, h);
    QPainter p(&image);
    button.PaintItem(p, {0, 0, w, h}, state);
    return image;
}

} // namespace

TEST(HoverButtonPaint, ClassicRaisedBorderEndPoints)
{
    HoverButton button;
    button.SetFlat(false);
    const QImage img = Paint(button);
    // Highlight from bottom-left up and along the top, its last point left out.
    EXPECT_EQ(At(img, 0, 0), kHighlight3d);
    EXPECT_EQ(At(img, 0, kH - 2), kHighlight3d);
    EXPECT_EQ(At(img, kW - 2, 0), kHighlight3d);
    // Dark shadow along the bottom and up the right edge to the very top.
    EXPECT_EQ(At(img, 0, kH - 1), kDarkShadow);
    EXPECT_EQ(At(img, kW - 1, kH - 1), kDarkShadow);
    EXPECT_EQ(At(img, kW - 1, 0), kDarkShadow);
    // 3-D light inside the highlight.
    EXPECT_EQ(At(img, 1, 1), kLight3d);
    EXPECT_EQ(At(img, 1, kH - 3), kLight3d);
    EXPECT_EQ(At(img, kW - 3, 1), kLight3d);
    // Shadow inside the dark shadow, stopping one short of the top.
    EXPECT_EQ(At(img, 1, kH - 2), kShadow);
    EXPECT_EQ(At(img, kW - 2, kH - 2), kShadow);
    EXPECT_EQ(At(img, kW - 2, 1), kShadow);
    EXPECT_EQ(At(img, 5, 5), kFace);
}

TEST(HoverButtonPaint, ClassicPressedIsShadowFrameOnly)
{
    HoverButton button;
    button.SetFlat(false);
    const QImage img = Paint(button, {true, false, false});
    EXPECT_EQ(At(img, 0, 0), kShadow);
    EXPECT_EQ(At(img, kW - 1, kH - 1), kShadow);
    EXPECT_EQ(At(img, 1, 1), kFace);
}

TEST(HoverButtonPaint, FlatLookBorderOnlyWhenHoveredOrPressed)
{
    HoverButton button;
    const QImage idle = Paint(button);
    EXPECT_EQ(At(idle, 0, 0), kFace);
    EXPECT_EQ(At(idle, kW - 1, kH - 1), kFace);

    const QImage pressed = Paint(button, {true, false, false});
    EXPECT_EQ(At(pressed, 0, 0), kShadow); // sunken
    EXPECT_EQ(At(pressed, kW - 2, 0), kShadow);
    EXPECT_EQ(At(pressed, kW - 1, 0), kHighlight3d);
    EXPECT_EQ(At(pressed, 0, kH - 1), kHighlight3d);

    button.SetDrawBorder(false);
    EXPECT_EQ(At(Paint(button, {true, false, false}), 0, 0), kFace);
}

TEST(HoverButtonPaint, FlatHoverIsRaised)
{
    QWidget window;
    window.resize(100, 60);
    auto *button = new HoverButton(&window);
    button->setGeometry(10, 10, kW, kH);
    window.show();
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &move);
    ASSERT_TRUE(button->isHovered());
    const QImage img = button->grab().toImage();
    EXPECT_EQ(At(img, 0, 0), kHighlight3d);
    EXPECT_EQ(At(img, kW - 1, kH - 1), kShadow);
    EXPECT_EQ(At(img, kW - 1, 0), kShadow);
}

TEST(HoverButtonPaint, DefaultButtonHasBlackFrameInClassicLookOnly)
{
    QWidget page;
    auto *original = new QPushButton(QStringLiteral("OK"), &page);
    original->setProperty("ktrId", 1);
    original->setDefault(true);
    HoverButton button;
    ASSERT_TRUE(button.takeOverControl(&page, 1));
    button.setText(QString());
    button.SetFlat(false);
    const QImage img = Paint(button);
    EXPECT_EQ(At(img, 0, 0), QColor(0, 0, 0));
    EXPECT_EQ(At(img, kW - 1, kH - 1), QColor(0, 0, 0));
    EXPECT_EQ(At(img, 1, 1), kHighlight3d); // the raised border moved one pixel in
    EXPECT_EQ(At(img, kW - 2, kH - 2), kDarkShadow);

    button.SetFlat(true);
    EXPECT_EQ(At(Paint(button), 0, 0), kFace);
}

TEST(HoverButtonPaint, DisabledCaptionIsEmbossed)
{
    HoverButton button;
    QFont font = button.font();
    font.setPixelSize(14);
    font.setStyleStrategy(QFont::NoAntialias);
    button.setFont(font);
    button.setText(QStringLiteral("H"));
    QImage img = Canvas(kW, kH);
    {
        QPainter p(&img);
        p.setFont(font);
        button.resize(kW, kH);
        button.PaintItem(p, {0, 0, kW, kH}, {false, false, true});
    }
    QRect lit, shade;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            if (At(img, x, y) == kHighlight3d)
                lit |= QRect(x, y, 1, 1);
            if (At(img, x, y) == kShadow)
                shade |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(shade.isEmpty());
    ASSERT_FALSE(lit.isEmpty());
    // The highlight copy sits one pixel right and down, visible past the shadow's far edges.
    EXPECT_EQ(lit.right(), shade.right() + 1);
    EXPECT_EQ(lit.bottom(), shade.bottom() + 1);
    EXPECT_EQ(At(img, shade.right() + 1, shade.bottom() + 1), kHighlight3d);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x)
            ASSERT_NE(At(img, x, y), kBtnText) << x << "," << y;
    }
}

TEST(HoverButtonPaint, IconIsCentredWithoutCaptionAndMovesWhenPressed)
{
    HoverButton button;
    button.SetFlat(false);
    button.SetIconHandles(Solid(16, 16, Qt::red));
    const QImage idle = Paint(button, {}, 40, 30);
    EXPECT_EQ(At(idle, 12, 7), QColor(Qt::red));
    EXPECT_EQ(At(idle, 27, 22), QColor(Qt::red));
    EXPECT_NE(At(idle, 11, 7), QColor(Qt::red));
    EXPECT_NE(At(idle, 28, 23), QColor(Qt::red));

    const QImage pressed = Paint(button, {true, false, false}, 40, 30);
    EXPECT_NE(At(pressed, 12, 7), QColor(Qt::red));
    EXPECT_EQ(At(pressed, 13, 8), QColor(Qt::red));
    EXPECT_EQ(At(pressed, 28, 23), QColor(Qt::red));

    button.SetAlignment(3);
    const QImage corner = Paint(button, {}, 40, 30);
    EXPECT_EQ(At(corner, 0, 0), QColor(Qt::red));
    EXPECT_EQ(At(corner, 15, 15), QColor(Qt::red));
}

TEST(HoverButtonPaint, IdleIconShownUntilHoveredOrPressed)
{
    HoverButton button;
    button.SetIconHandles(Solid(8, 8, QColor(200, 0, 0)), HoverButton::kIdleDarker);
    const QImage idle = Paint(button, {}, 20, 20);
    EXPECT_EQ(At(idle, 10, 10), QColor(150, 0, 0));
    const QImage pressed = Paint(button, {true, false, false}, 20, 20);
    EXPECT_EQ(At(pressed, 10, 10), QColor(200, 0, 0));
}

TEST(HoverButtonPaint, FocusRectangleInClassicLookOnly)
{
    HoverButton button;
    button.SetFlat(false);
    const QImage focused = Paint(button, {false, true, false});
    // Focus implies the black frame; the dotted frame lies 3 pixels inside that.
    EXPECT_EQ(At(focused, 0, 0), QColor(0, 0, 0));
    EXPECT_NE(At(focused, 4, 4), kFace);
    button.SetFlat(true);
    EXPECT_EQ(At(Paint(button, {false, true, false}), 3, 3), kFace);
}
