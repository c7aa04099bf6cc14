// ktr-setup: finds KTR-4410-HT-LAN devices on the LAN and reads and writes their settings.
#include "app/config_app.h"
#include "app/platform_start.h"
#include "app/qt_translations.h"
#include "app/start_options.h"

#include <QApplication>
#include <memory>

int main(int argc, char *argv[])
{
    if (const auto answered = ktr::AnswerWithoutWindow(argc, argv, stdout))
        return *answered;
    std::unique_ptr<QApplication> application;
    {
        const ktr::PlatformStartWatch watch;
        application = std::make_unique<QApplication>(argc, argv);
    }
    ktr::InstallQtTranslations(*application);
    ktr::ConfigApp config;
    return config.run();
}
