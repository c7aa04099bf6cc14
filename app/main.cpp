// ktr-setup: finds KTR-4410-HT-LAN devices on the LAN and reads and writes their settings.
#include "app/config_app.h"
#include "app/qt_translations.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    ktr::InstallQtTranslations(application);
    ktr::ConfigApp config;
    return config.run();
}
