// The tool's window program as ktr-setup runs it, with the start-up benchmark's probe built in:
// the shipped ktr-setup carries no probe.
#include "app/config_app.h"
#include "app/qt_translations.h"
#include "bench/first_paint_probe.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    ktr::InstallQtTranslations(application);
    ktr::ExitAfterFirstPaintIfAsked(application);
    ktr::ConfigApp config;
    return config.run();
}
