// What the window's start-up rests on: the one-copy lock, the application icon, whose
// renderings are read only at the sizes asked for, the group boxes' frames, drawn without
// loading the image-format plugins, and the device page, built when first needed.
#include "app/app_icon.h"
#include "app/deferred_device_view.h"
#include "app/dialog_units.h"
#include "app/group_box_style.h"
#include "app/instance_lock.h"
#include "res/resources.h"
#include "res/string_table.h"
#include "widgets/icon_resources.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLockFile>
#include <QPixmap>
#include <QStyle>
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

bool ImagePluginsLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

TEST(GroupBoxStyleTest, FramesLookAsFusionDrawsThemWithoutTheImagePlugins)
{
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        GTEST_SKIP() << "the frames are Fusion's only under Fusion";
    const bool loadedBefore = ImagePluginsLoaded();
    // A titled frame as on the pages, one without a title (it starts higher), a checkable one.
    const std::pair<QString, bool> boxes[] = {
        {QStringLiteral("服务器1"), false}, {QString(), false}, {QStringLiteral("本机信息"), true}};
    const auto draw = [](const std::pair<QString, bool> &b, QStyle *style) {
        QGroupBox box(b.first);
        if (style != nullptr)
            box.setStyle(style);
        box.setCheckable(b.second);
        box.setFont(DialogFont(QStringLiteral("宋体"), 9));
        box.resize(170, 80);
        return box.grab().toImage();
    };
    QList<QImage> ours;
    for (const auto &b : boxes)
        ours.append(draw(b, SharedGroupBoxStyle()));
    if (!loadedBefore) {
        EXPECT_FALSE(ImagePluginsLoaded());
    }
    for (qsizetype i = 0; i < ours.size(); ++i)
        EXPECT_EQ(ours[i], draw(boxes[i], nullptr)) << "box " << i;
}

// The page's own view: what it shows, and where the focus went.
class PageView : public DeviceView
{
public:
    DeviceForm form() const override { return shown; }
    void show(const DeviceForm &form) override
    {
        shown = form;
        ++shows;
    }
    void focusField(std::string_view key) override { focused = key; }

    DeviceForm shown;
    int shows = 0;
    std::string focused;
};

class DeferredDeviceViewTest : public ::testing::Test
{
protected:
    DeferredDeviceView deferred{[this] {
        ++builds;
        auto view = std::make_unique<PageView>();
        page = view.get();
        return view;
    }};
    int builds = 0;
    PageView *page = nullptr;
};

TEST_F(DeferredDeviceViewTest, WhatIsShownBeforeThePageExistsIsWhatThePageShowsFirst)
{
    DeviceForm first;
    first.terminalAddress = "12345678";
    DeviceForm second = first;
    second.terminalAddress = "CAFE0001";
    deferred.show(first);
    deferred.show(second);
    EXPECT_EQ(builds, 0) << "showing alone builds no page";
    EXPECT_FALSE(deferred.isBuilt());

    EXPECT_EQ(deferred.form(), second) << "reading builds the page and reads it";
    ASSERT_EQ(builds, 1);
    EXPECT_EQ(page->shows, 1) << "only the last form shown reaches the page";

    DeviceForm third = second;
    third.parity = 2;
    deferred.show(third);
    EXPECT_EQ(page->shown, third);
    deferred.focusField("parity");
    EXPECT_EQ(page->focused, "parity");
    EXPECT_EQ(builds, 1) << "the page is built once";
}

TEST_F(DeferredDeviceViewTest, MovingTheFocusIntoThePageBuildsItWithNothingShownBefore)
{
    deferred.focusField("terminalAddress");
    ASSERT_EQ(builds, 1);
    EXPECT_EQ(page->shows, 0);
    EXPECT_EQ(page->focused, "terminalAddress");
}

} // namespace
} // namespace ktr::test
