// Pictures of the main window with each page in front, for people to look at; they are written
// to $KTR_SHOT_DIR, or to ktr-shots in the temporary folder.
#include "gui_support.h"

#include "app/about_dialog.h"
#include "app/tab_control.h"
#include "tests/support/window/screenshot.h"

#include <QDir>
#include <QImage>
#include <QTabBar>
#include <QTest>

namespace ktr::test {
namespace {

QString ShotPath(const QString &name)
{
    QString folder = qEnvironmentVariable("KTR_SHOT_DIR");
    if (folder.isEmpty()) {
        folder = QDir::temp().filePath(QStringLiteral("ktr-shots"));
    }
    return QDir(folder).filePath(name);
}

using ScreenshotTest = MainWindowTest;

TEST_F(ScreenshotTest, MainWindowWithEachPageInFront)
{
    state.messageText.appendLine("搜索...");
    dialog->refreshMessages();
    for (const auto &[tab, name] :
         {std::pair{0, "main-network-page.png"}, std::pair{1, "main-device-page.png"}}) {
        QTabBar *bar = dialog->tabControl()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        const QString path = ShotPath(QString::fromLatin1(name));
        ASSERT_TRUE(SaveScreenshot(*dialog, path)) << path.toStdString();
        const QImage image(path);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), dialog->size() * dialog->devicePixelRatio());
        // Not a blank picture: the window's controls put many colours in it.
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3) {
            for (int x = 0; x < image.width(); x += 3) {
                colours.insert(image.pixel(x, y));
            }
        }
        EXPECT_GT(colours.size(), 8);
    }
}

TEST(AboutScreenshotTest, AboutBox)
{
    AboutDialog about;
    about.show();
    const QString path = ShotPath(QStringLiteral("about.png"));
    ASSERT_TRUE(SaveScreenshot(about, path));
    EXPECT_EQ(QImage(path).size(), about.size() * about.devicePixelRatio());
}

} // namespace
} // namespace ktr::test
