// What the window's start-up rests on: the one-copy lock and the application icon, whose
// renderings are read only at the sizes asked for.
#include "app/app_icon.h"
#include "app/instance_lock.h"
#include "res/resources.h"
#include "res/string_table.h"
#include "widgets/icon_resources.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLockFile>
#include <QPixmap>
#include <QTemporaryDir>

#include <memory>

namespace ktr::test {
namespace {

class InstanceLockTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ktr-setup.lock"));
};

TEST_F(InstanceLockTest, OnlyOneHolderAtATimeAndTheLockIsFreeOnceItsHolderEnds)
{
    auto first = std::make_unique<InstanceLock>(path);
    ASSERT_TRUE(first->isHeld());
    EXPECT_FALSE(InstanceLock(path).isHeld()) << "a second copy is kept out";
    first.reset();
    EXPECT_TRUE(InstanceLock(path).isHeld()) << "the next start after the first copy ended";
}

TEST_F(InstanceLockTest, ALockFileLeftByACopyThatDiedIsTakenOver)
{
    // What a copy killed while it ran leaves behind: the file, with nobody holding it.
    QFile left(path);
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write("4242\nktr-setup\nhost\n");
    left.close();
    EXPECT_TRUE(InstanceLock(path).isHeld());
}

TEST_F(InstanceLockTest, KeepsOutAndIsKeptOutByACopyLockedTheEarlierWay)
{
    {
        QLockFile older(path);
        ASSERT_TRUE(older.tryLock(0));
        EXPECT_FALSE(InstanceLock(path).isHeld());
    }
    InstanceLock lock(path);
    ASSERT_TRUE(lock.isHeld());
    QLockFile older(path);
    older.setStaleLockTime(0);
    EXPECT_FALSE(older.tryLock(0));
}

TEST_F(InstanceLockTest, AnUnusableFolderMeansNoLock)
{
    EXPECT_FALSE(InstanceLock(dir.filePath(QStringLiteral("missing/ktr-setup.lock"))).isHeld());
}

// The icon as Qt makes it of a pixmap per rendering, which the tool's icon stands in for.
QIcon IconOfAllRenderings(int resource)
{
    QIcon icon;
    for (int edge : IconResourceEdges(resource))
        icon.addPixmap(QPixmap::fromImage(LoadIconResource(resource, QSize(edge, edge))));
    return icon;
}

TEST(AppIconTest, ShowsWhatAnIconOfAllItsRenderingsShowsAtEverySizeAndMode)
{
    InitResources();
    const QIcon reference = IconOfAllRenderings(kAppIconResource);
    const QIcon icon = LoadResourceIcon(kAppIconResource);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), reference.availableSizes());
    const int largest = IconResourceEdges(kAppIconResource).back();
    // A rendering's own size, sizes between two renderings and beyond the largest, a box that
    // is not square, and each mode.
    for (QSize asked : {QSize(16, 16), QSize(30, 30), QSize(20, 20),
                        QSize(largest * 2, largest * 2), QSize(40, 24)}) {
        EXPECT_EQ(icon.actualSize(asked), reference.actualSize(asked)) << asked.width();
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
            EXPECT_EQ(icon.pixmap(asked, mode).toImage(), reference.pixmap(asked, mode).toImage())
                << asked.width() << "x" << asked.height() << " mode " << mode;
        }
    }
    EXPECT_NE(icon.pixmap(QSize(32, 32), QIcon::Disabled).toImage(),
              icon.pixmap(QSize(32, 32)).toImage());
    EXPECT_TRUE(LoadResourceIcon(4242).isNull());
}

} // namespace
} // namespace ktr::test
