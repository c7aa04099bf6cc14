// Window pictures as PNG files, and the demo's delayed picture after a search.
#include "app/screenshot.h"

#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

namespace ktr {
namespace {

constexpr int kDefaultDelayMs = 2000;

} // namespace

bool SaveScreenshot(QWidget &widget, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written aside and renamed when complete, so that whoever waits for the file never reads
    // half a picture.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && widget.grab().save(&file, "PNG") && file.commit();
}

void ScheduleScreenshotFromEnvironment(QWidget &widget)
{
    const QString path = qEnvironmentVariable("KTR_SCREENSHOT");
    if (path.isEmpty()) {
        return;
    }
    bool valid = false;
    int delay = qEnvironmentVariableIntValue("KTR_SCREENSHOT_DELAY_MS", &valid);
    if (!valid || delay < 0) {
        delay = kDefaultDelayMs;
    }
    QTimer::singleShot(delay, &widget, [target = QPointer<QWidget>(&widget), path] {
        if (target) {
            SaveScreenshot(*target, path);
        }
    });
}

} // namespace ktr
