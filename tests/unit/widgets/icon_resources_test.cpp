// The button icons as renderings made at build time: every size asked for, and no SVG support or
// image-format plugin needed to show them.
#include "widgets/icon_resources.h"

#include <gtest/gtest.h>

#include <QFile>

namespace ktr {
namespace {

// How many pixels are not fully transparent.
int DrawnPixels(const QImage &image)
{
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            drawn += qAlpha(image.pixel(x, y)) != 0 ? 1 : 0;
    }
    return drawn;
}

TEST(IconResources, ButtonIconsComeAtEverySizeAskedFor)
{
    for (int id : {133, 135}) {
        // The buttons' 25 px, a menu's non-square cell, and more than the largest rendering.
        for (QSize size : {QSize(25, 25), QSize(16, 16), QSize(30, 12), QSize(300, 300)}) {
            const QImage icon = LoadIconResource(id, size);
            ASSERT_EQ(icon.size(), size) << id;
            EXPECT_EQ(icon.format(), QImage::Format_ARGB32);
            EXPECT_GT(DrawnPixels(icon), size.width() * size.height() / 4) << id;
        }
    }
    EXPECT_TRUE(LoadIconResource(4242, QSize(16, 16)).isNull());
    EXPECT_TRUE(LoadIconResource(133, QSize(0, 16)).isNull());
}

TEST(IconResources, ShowingThemLoadsNeitherQtSvgNorAnImagePlugin)
{
    LoadIconResource(133, QSize(25, 25));
    LoadIconResource(135, QSize(48, 48));
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no /proc/self/maps to list the loaded libraries";
    const QByteArray loaded = maps.readAll();
    EXPECT_FALSE(loaded.contains("libQt6Svg"));
    EXPECT_FALSE(loaded.contains("/imageformats/"));
    EXPECT_FALSE(loaded.contains("/iconengines/"));
}

} // namespace
} // namespace ktr
