#include "widgets/icon_resources.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

// The icons are compiled into this static library; the linker keeps them only when referred to.
static void initWidgetsResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(widgets);
        return true;
    }();
    (void)done;
}

namespace ktr {

QString IconResourcePath(int id)
{
    return QStringLiteral(":/icons/%1.svg").arg(id);
}

QImage LoadIconResource(int id, QSize size)
{
    initWidgetsResources();
    if (size.isEmpty())
        return {};
    QSvgRenderer renderer(IconResourcePath(id));
    if (!renderer.isValid())
        return {};
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    renderer.render(&p);
    return image;
}

} // namespace ktr
