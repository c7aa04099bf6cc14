#include "app/group_box_style.h"

#include "app/shared_style.h"

#include <QGroupBox>
#include <QImageReader>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <qdrawutil.h>

#include <algorithm>

namespace ktr {
namespace {

// Fusion's frame image and how it draws it: a nine-part border pixmap with 6-pixel edges,
// starting 3 pixels below the title.
constexpr auto kFusionFramePath = ":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png";
constexpr int kFrameEdge = 6;
constexpr int kTopMargin = 3;

class GroupBoxStyle : public QProxyStyle
{
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element != PE_FrameGroupBox || !drawsFusionFrame()) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const auto *box = qobject_cast<const QGroupBox *>(widget);
        const int top = box != nullptr && !box->isCheckable() && box->title().isEmpty()
                            ? kTopMargin
                            : std::max(baseStyle()->pixelMetric(PM_ExclusiveIndicatorHeight),
                                       option->fontMetrics.height()) +
                                  kTopMargin;
        qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0),
                          QMargins(kFrameEdge, kFrameEdge, kFrameEdge, kFrameEdge), frame_);
    }

private:
    // Only under Fusion, and only when its image is there to draw with.
    bool drawsFusionFrame() const
    {
        if (!checked_) {
            checked_ = true;
            if (baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0) {
                QImageReader reader(QString::fromLatin1(kFusionFramePath), "png");
                reader.setAutoDetectImageFormat(false);
                frame_ = QPixmap::fromImage(reader.read());
            }
        }
        return !frame_.isNull();
    }

    mutable bool checked_ = false;
    mutable QPixmap frame_;
};

} // namespace

QStyle *SharedGroupBoxStyle()
{
    return SharedStyle<GroupBoxStyle>();
}

} // namespace ktr
