#include "app/config_app.h"

#include "app/instance_lock.h"
#include "app/main_dialog.h"

#include <QCoreApplication>
#include <QDir>

#include <utility>

namespace ktr {

QString InstanceLockPath()
{
    return QDir::temp().filePath(QStringLiteral("ktr-setup.lock"));
}

ConfigApp::ConfigApp(MessageBoxes *boxes, QString lockPath)
    : boxes_(boxes != nullptr ? *boxes : modalBoxes_)
    , lockPath_(std::move(lockPath))
{
}

int ConfigApp::run()
{
    // A second copy would share port 1901 with the first and take replies meant for it. The
    // lock is released when the process ends, also when it dies.
    const InstanceLock lock(lockPath_);
    if (!lock.isHeld()) {
        boxes_.show(
            nullptr,
            QStringLiteral("配置软件已经在运行：一台电脑上同时只能运行一个，请使用已打开的窗口"),
            QCoreApplication::applicationName(), BoxIcon::Exclamation);
        return 1;
    }
    MainDialog dialog(state_, boxes_);
    dialog.exec();
    // However the run ended, the receiver stops before the window goes.
    dialog.network().shutDown();
    return 0;
}

} // namespace ktr
