#include "app/app_icon.h"

#include "res/resources.h"
#include "widgets/icon_resources.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace ktr {
namespace {

// Renders a size only when somebody asks for it: a window shows one or two of the renderings,
// and reading and converting all of them would hold up the window's first paint. Sizes are
// served as Qt serves an icon made of a pixmap per rendering: the smallest rendering of at least
// the asked area, scaled down into the asked box, never beyond the largest one.
class ResourceIconEngine : public QIconEngine
{
public:
    ResourceIconEngine(int resource, QList<int> edges)
        : resource_(resource)
        , edges_(std::move(edges))
    {
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int edge = std::min({size.width(), size.height(), edges_.back()});
        return edge > 0 ? QSize(edge, edge) : QSize();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        const QSize actual = actualSize(size, mode, state);
        if (actual.isEmpty())
            return {};
        // The smallest rendering of at least the asked area, as Qt picks among pixmaps.
        const qint64 area = qint64(size.width()) * size.height();
        const auto covering = std::find_if(
            edges_.begin(), edges_.end(), [area](int edge) { return qint64(edge) * edge >= area; });
        const int edge = covering != edges_.end() ? *covering : edges_.back();
        QPixmap pixmap = QPixmap::fromImage(LoadIconResource(resource_, QSize(edge, edge)));
        if (pixmap.size() != actual)
            pixmap = pixmap.scaled(actual, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (mode != QIcon::Normal && mode != QIcon::Active && qApp != nullptr) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        }
        return pixmap;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device()->devicePixelRatio();
        const QPixmap image = pixmap(rect.size() * scale, mode, state);
        QRect target(QPoint(), image.size() / scale);
        target.moveCenter(rect.center());
        painter->drawPixmap(target, image);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        QList<QSize> sizes;
        if (mode == QIcon::Normal && state == QIcon::Off) {
            for (int edge : edges_)
                sizes.append(QSize(edge, edge));
        }
        return sizes;
    }

    QIconEngine *clone() const override { return new ResourceIconEngine(resource_, edges_); }

    QString key() const override { return QStringLiteral("ktr_resource"); }

private:
    int resource_;
    QList<int> edges_;
};

} // namespace

QIcon LoadResourceIcon(int resource)
{
    InitResources();
    QList<int> edges = IconResourceEdges(resource);
    if (edges.isEmpty())
        return {};
    return QIcon(new ResourceIconEngine(resource, std::move(edges)));
}

} // namespace ktr
