#include "app/config_app.h"

#include "app/first_paint_probe.h"
#include "app/instance_lock.h"
#include "app/main_dialog.h"

#include <QCoreApplication>
#include <QDir>

namespace ktr {

QString InstanceLockPath()
{
    const QString configured = qEnvironmentVariable("KTR_SETUP_LOCK_FILE");
    return configured.isEmpty() ? QDir::temp().filePath(QStringLiteral("ktr-setup.lock"))
                                : configured;
}

ConfigApp::ConfigApp(MessageBoxes *boxes)
    : boxes_(boxes != nullptr ? *boxes : modalBoxes_)
{
}

int ConfigApp::run()
{
    // A second copy would share port 1901 with the first and take replies meant for it. The
    // lock is released when the process ends, also when it dies.
    const InstanceLock lock(InstanceLockPath());
    if (!lock.isHeld()) {
        boxes_.show(
            nullptr,
            QStringLiteral("配置软件已经在运行：一台电脑上同时只能运行一个，请使用已打开的窗口"),
            QCoreApplication::applicationName(), BoxIcon::Exclamation);
        return 1;
    }
    MainDialog dialog(state_, boxes_);
    ExitAfterFirstPaintIfAsked(dialog);
    dialog.exec();
    // However the run ended, the receiver stops before the window goes.
    dialog.shutDownNetwork();
    return 0;
}

} // namespace ktr
