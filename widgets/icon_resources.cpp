#include "widgets/icon_resources.h"

#include <QDir>
#include <QFile>

#include <algorithm>

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
namespace {

// A square rendering of the given edge; null when the resource is missing or of another size.
QImage ReadPixels(const QString &path, int edge)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pixels = file.readAll();
    if (pixels.size() != qsizetype(edge) * edge * 4)
        return {};
    // The wrapping image borrows the bytes; the conversion makes the copy it keeps.
    return QImage(reinterpret_cast<const uchar *>(pixels.constData()), edge, edge, edge * 4,
                  QImage::Format_RGBA8888)
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace

QString IconResourcePath(int id, int edge)
{
    return QStringLiteral(":/icons/%1/%2.rgba").arg(id).arg(edge);
}

QList<int> IconResourceEdges(int id)
{
    initWidgetsResources();
    QList<int> edges;
    const QDir dir(QStringLiteral(":/icons/%1").arg(id));
    // Matched by hand: a name filter would compile a regular expression on every call.
    const QLatin1String suffix(".rgba");
    for (const QString &name : dir.entryList(QDir::Files)) {
        if (!name.endsWith(suffix))
            continue;
        bool number = false;
        const int edge = QStringView(name).chopped(suffix.size()).toInt(&number);
        if (number && edge > 0)
            edges.append(edge);
    }
    std::sort(edges.begin(), edges.end());
    return edges;
}

QImage LoadIconResource(int id, QSize size)
{
    if (size.isEmpty())
        return {};
    const QList<int> edges = IconResourceEdges(id);
    if (edges.isEmpty())
        return {};
    // Scaling down keeps the drawing sharp; only beyond the largest rendering is it scaled up.
    const int wanted = std::max(size.width(), size.height());
    const auto covering = std::lower_bound(edges.begin(), edges.end(), wanted);
    const int edge = covering != edges.end() ? *covering : edges.back();
    QImage image = ReadPixels(IconResourcePath(id, edge), edge);
    if (image.isNull())
        return {};
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace ktr
