#include "app/app_icon.h"

#include "res/resources.h"

#include <QFile>

namespace ktr {

QIcon LoadResourceIcon(int resource)
{
    InitResources();
    const QString path = QStringLiteral(":/icons/%1.svg").arg(resource);
    if (!QFile::exists(path)) {
        return {};
    }
    return QIcon(path);
}

} // namespace ktr
