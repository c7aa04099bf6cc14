#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace ktr {

QTranslator *InstallQtTranslations(QCoreApplication &application)
{
    // The tool speaks Chinese whatever the system's language is.
    const QString name = QStringLiteral("qtbase_zh_CN");
    const QString folders[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
    };
    auto *translator = new QTranslator(&application);
    for (const QString &folder : folders) {
        if (translator->load(name, folder) && QCoreApplication::installTranslator(translator)) {
            return translator;
        }
    }
    delete translator;
    return nullptr;
}

} // namespace ktr
