#include "app/app_icon.h"

#include "res/resources.h"
#include "widgets/icon_resources.h"

#include <QPixmap>

namespace ktr {

QIcon LoadResourceIcon(int resource)
{
    InitResources();
    QIcon icon;
    // Pixmaps, not files: QIcon::addFile asks every image-format plugin about each file.
    for (int edge : IconResourceEdges(resource))
        icon.addPixmap(QPixmap::fromImage(LoadIconResource(resource, QSize(edge, edge))));
    return icon;
}

} // namespace ktr
