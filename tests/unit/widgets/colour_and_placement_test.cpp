// Pure rules: colour arithmetic, generated idle icons, image placement, look decisions.
#include "test_support.h"

#include "widgets/colour_math.h"
#include "widgets/image_placement.h"
#include "widgets/menu_item_painter.h"
#include "widgets/platform.h"
#include "widgets/qu_menu.h"

#include <gtest/gtest.h>

using namespace ktr;

TEST(ColourMath, LightenAndDarkenTruncateAndIgnoreFactorsOutsideRange)
{
    EXPECT_EQ(Lighten(qRgb(100, 0, 255), 0.3), qRgb(146, 76, 255));
    EXPECT_EQ(Lighten(qRgb(0, 0, 0), 1.0), qRgb(255, 255, 255));
    EXPECT_EQ(Darken(qRgb(200, 3, 255), 0.25), qRgb(150, 2, 191));
    for (double bad : {0.0, -0.1, 1.5}) {
        EXPECT_EQ(Lighten(qRgb(1, 2, 3), bad), qRgb(1, 2, 3)) << bad;
        EXPECT_EQ(Darken(qRgb(1, 2, 3), bad), qRgb(1, 2, 3)) << bad;
    }
}

TEST(ColourMath, GreyAndDarkerIconsKeepBlackAndTransparency)
{
    QImage icon(3, 1, QImage::Format_ARGB32);
    icon.setPixel(0, 0, qRgba(255, 255, 255, 255));
    icon.setPixel(1, 0, qRgba(255, 0, 0, 255));
    icon.setPixel(2, 0, qRgba(0, 0, 0, 255));
    const QImage grey = GreyIcon(icon);
    EXPECT_EQ(grey.pixel(0, 0), qRgba(255, 255, 255, 255)); // exact weights give full white
    EXPECT_EQ(grey.pixel(1, 0), qRgba(76, 76, 76, 255));
    EXPECT_EQ(grey.pixel(2, 0), qRgba(0, 0, 0, 255));
    const QImage darker = DarkerIcon(icon);
    EXPECT_EQ(darker.pixel(0, 0), qRgba(191, 191, 191, 255));
    EXPECT_EQ(darker.pixel(1, 0), qRgba(191, 0, 0, 255));
    EXPECT_EQ(darker.pixel(2, 0), qRgba(0, 0, 0, 255));

    QImage clear(1, 1, QImage::Format_ARGB32);
    clear.setPixel(0, 0, qRgba(0, 200, 0, 0));
    EXPECT_EQ(qAlpha(GreyIcon(clear).pixel(0, 0)), 0);
    EXPECT_TRUE(GreyIcon(QImage()).isNull());
}

struct PlacementCase
{
    std::uint8_t alignment;
    bool hasCaption;
    bool pressed;
    bool checkBox;
    Rect image;   // expected
    Rect caption; // expected
};

class PlaceImageTest : public testing::TestWithParam<PlacementCase>
{
};

// Item (10, 5)-(110, 45), image 16 x 16, margins 3, client right 120.
TEST_P(PlaceImageTest, PlacesImageAndNarrowsCaption)
{
    const PlacementCase &c = GetParam();
    ImagePlacement settings;
    settings.alignment = c.alignment;
    settings.checkBoxMode = c.checkBox;
    const Rect item{10, 5, 110, 45};
    Rect caption = item;
    const Rect image = PlaceImage(settings, c.hasCaption, item, caption, c.pressed, 16, 16, 120);
    EXPECT_EQ(image, c.image);
    EXPECT_EQ(caption, c.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, PlaceImageTest,
    testing::Values(
        PlacementCase{0, true, false, false, {13, 17, 110, 45}, {29, 5, 110, 45}},
        PlacementCase{0, false, false, false, {52, 17, 110, 45}, {10, 5, 110, 45}},
        PlacementCase{1, true, false, false, {52, 3, 110, 45}, {10, 21, 110, 45}},
        PlacementCase{1, false, false, false, {52, 17, 110, 45}, {10, 5, 110, 45}},
        PlacementCase{2, true, false, false, {101, 17, 110, 45}, {3, 5, 81, 45}},
        PlacementCase{2, false, false, false, {52, 5, 110, 45}, {10, 5, 110, 45}},
        PlacementCase{3, true, false, false, {10, 5, 110, 45}, {10, 5, 110, 45}},
        PlacementCase{3, false, false, false, {10, 5, 110, 45}, {10, 5, 110, 45}},
        // Pressed: the whole image rectangle moves by the pressed offset, not in check-box mode.
        PlacementCase{0, true, true, false, {14, 18, 111, 46}, {29, 5, 110, 45}},
        PlacementCase{3, false, true, false, {11, 6, 111, 46}, {10, 5, 110, 45}},
        PlacementCase{0, true, true, true, {13, 17, 110, 45}, {29, 5, 110, 45}}));

TEST(PlaceImage, SecondPressedStyleMovesTwoDown)
{
    ImagePlacement settings;
    settings.pressedOffset = {0, 2};
    Rect caption{0, 0, 40, 20};
    const Rect image = PlaceImage(settings, false, {0, 0, 40, 20}, caption, true, 10, 10, 40);
    EXPECT_EQ(image, (Rect{15, 7, 40, 22}));
}

TEST(MenuLookDecision, OperatingSystemCodes)
{
    EXPECT_EQ(OsCodeFromVersion(false, OsVersion{false, 3, 95}), 0);
    EXPECT_EQ(OsCodeFromVersion(false, OsVersion{false, 4, 0}), 2);
    EXPECT_EQ(OsCodeFromVersion(false, OsVersion{false, 4, 10}), 3);
    EXPECT_EQ(OsCodeFromVersion(false, OsVersion{false, 4, 90}), 4);
    EXPECT_EQ(OsCodeFromVersion(false, OsVersion{false, 5, 0}), 2);
    EXPECT_EQ(OsCodeFromVersion(false, std::nullopt), 2);
    EXPECT_EQ(OsCodeFromVersion(true, OsVersion{true, 4, 0}), 5);
    EXPECT_EQ(OsCodeFromVersion(true, OsVersion{true, 5, 0}), 6);
    EXPECT_EQ(OsCodeFromVersion(true, OsVersion{true, 5, 1}), 7);
    EXPECT_EQ(OsCodeFromVersion(true, OsVersion{true, 6, 1}), 1);
    EXPECT_EQ(OsCodeFromVersion(true, OsVersion{true, 10, 0}), 1);
    EXPECT_EQ(OsCodeFromVersion(true, std::nullopt), 1);
#ifndef _WIN32
    EXPECT_EQ(GetOsCode(), 1);
    EXPECT_FALSE(IsClassicTheme());
#endif
}

TEST(MenuLookDecision, ClassicThemeNameAndLook)
{
    EXPECT_TRUE(IsClassicThemeName(QStringLiteral("Windows Classic.theme")));
    EXPECT_TRUE(IsClassicThemeName(
        QStringLiteral("C:\\WINDOWS\\Resources\\Themes\\WINDOWS CLASSIC.THEME")));
    EXPECT_FALSE(IsClassicThemeName(QStringLiteral("Classic.theme")));
    EXPECT_FALSE(IsClassicThemeName(QStringLiteral("C:\\Themes\\Luna.theme")));
    EXPECT_FALSE(IsClassicThemeName(QString()));

    EXPECT_TRUE(UseFlatLook(7, false));
    EXPECT_FALSE(UseFlatLook(7, true));
    EXPECT_FALSE(UseFlatLook(1, false)); // NT 6 and later: classic look
    EXPECT_FALSE(UseFlatLook(6, false));
    EXPECT_TRUE(UseClassicLook(true, true)); // palette display
    EXPECT_FALSE(UseClassicLook(false, true));
}
