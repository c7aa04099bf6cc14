#include "tests/support/window/screenshot.h"

#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QSaveFile>
#include <QWidget>

namespace ktr {

bool SaveScreenshot(QWidget &widget, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written aside and renamed when complete, so that whoever waits for the file never reads
    // half a picture.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && widget.grab().save(&file, "PNG") && file.commit();
}

} // namespace ktr
