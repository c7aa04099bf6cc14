// Pixel tests of owner-drawn menu items in both looks.
#include "test_support.h"

#include "widgets/colour_math.h"
#include "widgets/menu_item_painter.h"
#include "widgets/qu_menu.h"

#include <gtest/gtest.h>

using namespace ktr;
using namespace ktr::test;

namespace {

MenuLook Classic()
{
    return MenuLook{1, false, false, true};
}

MenuLook FlatXp()
{
    return MenuLook{7, true, true, true};
}

class MenuPaint : public testing::Test
{
protected:
    void SetUp() override { menu.Attach(CreateNativePopupMenu()); }

    const MenuItemRecord &Add(const QString &text, std::uint32_t command,
                              std::uint32_t flags = kMfString)
    {
        menu.AppendItem(text, flags, command);
        return *menu.items().back();
    }

    void Paint(QImage &image, const MenuItemRecord &record, QRect rect, const MenuLook &look,
               bool selected = false, bool checked = false, bool grayed = false)
    {
        MenuDrawItem item;
        item.rect = rect;
        item.record = &record;
        item.selected = selected;
        item.checked = checked;
        item.grayed = grayed;
        QPainter p(&image);
        PaintMenuItem(menu, p, item, look);
    }

    QuMenu menu;
};

} // namespace

TEST_F(MenuPaint, ClassicSeparatorIsEtchedLineAtHalfHeight)
{
    const MenuItemRecord &sep = Add(QString(), 0);
    QImage img = Canvas(60, 10);
    Paint(img, sep, {0, 0, 60, 10}, Classic());
    EXPECT_EQ(At(img, 30, 0), kMenu);
    EXPECT_EQ(At(img, 30, 5), kShadow);
    EXPECT_EQ(At(img, 30, 6), kHighlight3d);
    EXPECT_EQ(At(img, 30, 7), kMenu);
}

TEST_F(MenuPaint, FlatColumnRunsThroughSeparator)
{
    const MenuItemRecord &above = Add(QStringLiteral("&Open"), 1);
    const MenuItemRecord &sep = Add(QString(), 0);
    const MenuItemRecord &below = Add(QStringLiteral("E&xit"), 2);
    QImage img = Canvas(120, 50);
    Paint(img, above, {0, 0, 120, 20}, FlatXp());
    Paint(img, sep, {0, 20, 120, 10}, FlatXp());
    Paint(img, below, {0, 30, 120, 20}, FlatXp());
    const int columnWidth = 7 + 16;
    for (int y = 0; y < 50; ++y) {
        for (int x : {0, 5, columnWidth - 1})
            ASSERT_EQ(At(img, x, y), kFace) << x << "," << y; // themed desktop: plain face
        ASSERT_EQ(At(img, columnWidth, y), kWindow) << y;
    }
    // The separator's line starts one gap after the column.
    EXPECT_EQ(At(img, columnWidth + 7, 25), kShadow);
    EXPECT_EQ(At(img, columnWidth + 6, 25), kWindow);

    // Off the themed desktop the column is the lightened face.
    QImage other = Canvas(120, 10);
    Paint(other, sep, {0, 0, 120, 10}, MenuLook{7, false, true, true});
    EXPECT_EQ(At(other, 3, 3), QColor(Lighten(kFace.rgb(), 0.25)));
}

TEST(MenuCheckMarks, TickStrokesAreThreePixelsEach)
{
    QImage img = Canvas(30, 30);
    {
        QPainter p(&img);
        DrawCheckTick(p, 10, 10, Qt::black);
    }
    const int drop[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int k = 0; k < 7; ++k) {
        const int x = 10 + k;
        const int y = 10 + drop[k];
        EXPECT_EQ(At(img, x, y - 1), kUntouched) << k;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(At(img, x, y + i), QColor(Qt::black)) << k << "," << i;
        EXPECT_EQ(At(img, x, y + 3), kUntouched) << k;
    }
    EXPECT_EQ(At(img, 17, 10), kUntouched);
}

TEST_F(MenuPaint, CheckedItemWithoutPictureShowsTickInBoth)
{
    const MenuItemRecord &item = Add(QStringLiteral("&Auto"), 1, kMfChecked);
    QImage classic = Canvas(100, 20);
    Paint(classic, item, {0, 0, 100, 20}, Classic(), false, true);
    // Box (1, dy + 2) with dy = 0 for a 20-pixel item; tick from (box + 4, box + 4).
    const QColor boxFill(Lighten(kMenu.rgb(), 0.6));
    EXPECT_EQ(At(classic, 2, 3), boxFill);
    EXPECT_EQ(At(classic, 5, 6 + 2), kMenuText);
    EXPECT_EQ(At(classic, 5, 6 + 5), boxFill);

    QImage flat = Canvas(100, 20);
    Paint(flat, item, {0, 0, 100, 20}, FlatXp(), false, true);
    // 16 x 16 box centred in the 23-pixel column: left 4, top 2; tick from (box + 5, box + 4).
    EXPECT_EQ(At(flat, 4, 2), kSelection);
    EXPECT_EQ(At(flat, 9, 6 + 2), kMenuText);
}

TEST_F(MenuPaint, PictureNeverAboveShortItem)
{
    const MenuItemRecord &record = Add(QStringLiteral("&Picture"), 1);
    auto &own = const_cast<MenuItemRecord &>(record);
    own.ownImages = std::make_unique<ImageList>(16, 15);
    ASSERT_TRUE(own.ownImages->Add(Solid(16, 15, Qt::red)));
    own.ownImageIndex = 0;
    own.ownImageMarker = 0;

    for (const MenuLook &look : {Classic(), FlatXp()}) {
        QImage img = Canvas(100, 60);
        Paint(img, record, {0, 20, 100, 8}, look);
        // The picture column; the item's text may reach past a short item, the picture not.
        for (int x = 0; x < 16 + 9; ++x)
            ASSERT_EQ(At(img, x, 19), kUntouched) << x << " flat " << look.flat;
        const int top = look.flat ? 20 : 22; // flat y = 0; classic dy = 0 plus the 2-pixel cell
        EXPECT_EQ(At(img, 5, top), QColor(Qt::red)) << look.flat;
        EXPECT_NE(At(img, 5, top - 1), QColor(Qt::red)) << look.flat;
    }
}

TEST_F(MenuPaint, ClassicDisabledSelectedKeepsHighlightFlatDoesNot)
{
    const MenuItemRecord &item = Add(QStringLiteral("&Gone"), 1, kMfGrayed);
    QImage classic = Canvas(100, 20);
    Paint(classic, item, {0, 0, 100, 20}, Classic(), true, false, true);
    EXPECT_EQ(At(classic, 95, 10), kSelection);
    EXPECT_EQ(At(classic, 1, 10), kSelection);
    QImage flat = Canvas(100, 20);
    Paint(flat, item, {0, 0, 100, 20}, FlatXp(), true, false, true);
    EXPECT_EQ(At(flat, 60, 1), kWindow);
    EXPECT_EQ(At(flat, 3, 10), kFace);
}

TEST(MenuPictures, DisabledPictureIsEmbossedOnBackground)
{
    QImage picture(6, 6, QImage::Format_ARGB32);
    picture.fill(kFace);
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 4; ++x)
            picture.setPixelColor(x, y, Qt::black);
    QImage img = Canvas(20, 20);
    {
        QPainter p(&img);
        DrawDisabledPicture(p, picture, {5, 5}, kMenu, false);
    }
    EXPECT_EQ(At(img, 5, 5), kMenu);   // background
    EXPECT_EQ(At(img, 6, 6), kShadow); // the shape at its place
    EXPECT_EQ(At(img, 8, 8), kShadow);
    EXPECT_EQ(At(img, 9, 9), kHighlight3d); // its highlight copy one right and down
    EXPECT_EQ(At(img, 9, 7), kHighlight3d);
    EXPECT_EQ(At(img, 7, 9), kHighlight3d);
}

TEST(MenuPictures, FadedAndShadowCopiesLeaveFaceTransparent)
{
    QImage onFace(2, 1, QImage::Format_ARGB32);
    onFace.setPixelColor(0, 0, kFace);
    onFace.setPixelColor(1, 0, QColor(100, 0, 255));
    const QImage faded = FadedCopy(onFace);
    EXPECT_EQ(qAlpha(faded.pixel(0, 0)), 0);
    EXPECT_EQ(faded.pixelColor(1, 0), QColor(146, 76, 255));
    EXPECT_EQ(ShadowCopy(onFace, true).pixelColor(1, 0), kShadow);
    EXPECT_EQ(ShadowCopy(onFace, false).pixelColor(1, 0), QColor(Lighten(kShadow.rgb(), 0.49)));
}
