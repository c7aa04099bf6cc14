// The image list: where each added picture lands, and what adds nothing.
#include "test_support.h"

#include "widgets/image_list.h"

#include <gtest/gtest.h>

namespace ktr {
namespace {

using test::At;
using test::Solid;

TEST(ImageListTest, AddGivesEachPictureTheNextIndexAndRefusesANullOne)
{
    ImageList list(16, 15);
    EXPECT_EQ(list.Add(Solid(16, 15, Qt::red)), 0);
    EXPECT_EQ(list.Add(Solid(8, 8, Qt::blue)), 1); // scaled to the list's size
    EXPECT_FALSE(list.Add(QImage()));
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.GetIcon(1).size(), QSize(16, 15));
}

TEST(ImageListTest, AddMaskedCutsAStripAndGivesTheIndexOfItsFirstPicture)
{
    ImageList list(4, 4);
    ASSERT_EQ(list.Add(Solid(4, 4, Qt::red)), 0);
    QImage strip = Solid(12, 4, Qt::green);
    strip.setPixel(5, 1, QColor(Qt::magenta).rgb());
    EXPECT_EQ(list.AddMasked(strip, QColor(Qt::magenta).rgb()), 1);
    ASSERT_EQ(list.count(), 4);
    // The mask colour became transparent in the second picture of the strip only.
    EXPECT_EQ(list.GetIcon(2).pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(At(list.GetIcon(1), 1, 1), QColor(Qt::green));

    // A strip narrower than one picture, or none at all, adds nothing.
    EXPECT_FALSE(list.AddMasked(Solid(3, 4, Qt::green), 0));
    EXPECT_FALSE(list.AddMasked(QImage(), 0));
    EXPECT_EQ(list.count(), 4);
}

} // namespace
} // namespace ktr
