#include "widgets/gdi.h"

#include <QGuiApplication>
#include <QPaintDevice>

namespace ktr {

void Rect::offset(int dx, int dy)
{
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
}

void Rect::deflate(int dx, int dy)
{
    left += dx;
    right -= dx;
    top += dy;
    bottom -= dy;
}

QColor GetSysColor(SysColor colour)
{
    return GetSysColor(colour, QGuiApplication::palette());
}

QColor GetSysColor(SysColor colour, const QPalette &palette)
{
    switch (colour) {
    case SysColor::BtnFace:
        return palette.color(QPalette::Active, QPalette::Button);
    case SysColor::BtnText:
        return palette.color(QPalette::Active, QPalette::ButtonText);
    case SysColor::BtnHighlight:
        return palette.color(QPalette::Active, QPalette::Light);
    case SysColor::Light3d:
        return palette.color(QPalette::Active, QPalette::Midlight);
    case SysColor::BtnShadow:
        return palette.color(QPalette::Active, QPalette::Dark);
    case SysColor::DkShadow3d:
        return palette.color(QPalette::Active, QPalette::Shadow);
    case SysColor::Highlight:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case SysColor::HighlightText:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case SysColor::Menu:
        return palette.color(QPalette::Active, QPalette::Window);
    case SysColor::MenuText:
        return palette.color(QPalette::Active, QPalette::WindowText);
    case SysColor::Window:
        return palette.color(QPalette::Active, QPalette::Base);
    case SysColor::GrayText:
        return palette.color(QPalette::Disabled, QPalette::Text);
    }
    return {};
}

void FillSolidRect(QPainter &p, const Rect &r, const QColor &colour)
{
    if (!r.isEmpty())
        p.fillRect(r.toQRect(), colour);
}

void FrameRect(QPainter &p, const Rect &r, const QColor &colour)
{
    if (r.isEmpty())
        return;
    FillSolidRect(p, {r.left, r.top, r.right, r.top + 1}, colour);
    FillSolidRect(p, {r.left, r.bottom - 1, r.right, r.bottom}, colour);
    FillSolidRect(p, {r.left, r.top, r.left + 1, r.bottom}, colour);
    FillSolidRect(p, {r.right - 1, r.top, r.right, r.bottom}, colour);
}

void Draw3dRect(QPainter &p, const Rect &r, const QColor &topLeft, const QColor &bottomRight)
{
    if (r.isEmpty())
        return;
    FillSolidRect(p, {r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolidRect(p, {r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolidRect(p, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    FillSolidRect(p, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

namespace {

// Pixels from a up to b, b itself left out. Only straight runs occur in the controls; other
// segments are drawn by Qt with both ends.
void segment(QPainter &p, QPoint a, QPoint b, const QColor &colour)
{
    if (a.y() == b.y()) {
        const int from = a.x() < b.x() ? a.x() : b.x() + 1;
        const int to = a.x() < b.x() ? b.x() : a.x() + 1;
        FillSolidRect(p, {from, a.y(), to, a.y() + 1}, colour);
    } else if (a.x() == b.x()) {
        const int from = a.y() < b.y() ? a.y() : b.y() + 1;
        const int to = a.y() < b.y() ? b.y() : a.y() + 1;
        FillSolidRect(p, {a.x(), from, a.x() + 1, to}, colour);
    } else {
        p.save();
        p.setPen(QPen(colour, 0));
        p.drawLine(a, b);
        p.restore();
    }
}

} // namespace

void Polyline(QPainter &p, std::initializer_list<QPoint> points, const QColor &colour)
{
    const QPoint *prev = nullptr;
    for (const QPoint &pt : points) {
        if (prev)
            segment(p, *prev, pt, colour);
        prev = &pt;
    }
}

void DrawEdge(QPainter &p, const Rect &r, Edge edge, std::uint32_t sides)
{
    const QColor light = GetSysColor(SysColor::BtnHighlight);
    const QColor shadow = GetSysColor(SysColor::BtnShadow);
    const QColor dark = GetSysColor(SysColor::DkShadow3d);
    const QColor light3d = GetSysColor(SysColor::Light3d);
    // Outer and inner ring colours: {top-left, bottom-right}.
    QColor outerTl, outerBr, innerTl, innerBr;
    bool inner = true;
    switch (edge) {
    case Edge::Etched:
        outerTl = shadow, outerBr = light, innerTl = light, innerBr = shadow;
        break;
    case Edge::SunkenOuter:
        outerTl = shadow, outerBr = light, inner = false;
        break;
    case Edge::Raised:
        outerTl = light3d, outerBr = dark, innerTl = light, innerBr = shadow;
        break;
    case Edge::Sunken:
        outerTl = shadow, outerBr = light, innerTl = dark, innerBr = light3d;
        break;
    }
    auto ring = [&](const Rect &q, const QColor &tl, const QColor &br) {
        if (sides & 0x1)
            FillSolidRect(p, {q.left, q.top, q.left + 1, q.bottom}, tl);
        if (sides & kBfTop)
            FillSolidRect(p, {q.left, q.top, q.right, q.top + 1}, tl);
        if (sides & 0x4)
            FillSolidRect(p, {q.right - 1, q.top, q.right, q.bottom}, br);
        if (sides & 0x8)
            FillSolidRect(p, {q.left, q.bottom - 1, q.right, q.bottom}, br);
    };
    ring(r, outerTl, outerBr);
    if (inner) {
        Rect q = r;
        q.deflate(1, 1);
        // A top-only edge still has its inner line below the outer one over the full width.
        if (sides == kBfTop)
            q = {r.left, r.top + 1, r.right, r.bottom};
        ring(q, innerTl, innerBr);
    }
}

void DrawFocusRect(QPainter &p, const Rect &r)
{
    if (r.isEmpty())
        return;
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor white(Qt::white);
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            p.fillRect(x, y, 1, 1, white);
    };
    for (int x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        dot(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        dot(r.right - 1, y);
    }
    p.restore();
}

namespace {

int qtTextFlags(std::uint32_t flags)
{
    int f = Qt::TextShowMnemonic;
    if (flags & kDtCenter)
        f |= Qt::AlignHCenter;
    else if (flags & kDtRight)
        f |= Qt::AlignRight;
    else
        f |= Qt::AlignLeft;
    if (flags & kDtSingleLine) {
        f |= Qt::TextSingleLine;
        f |= (flags & kDtVCenter) ? Qt::AlignVCenter : Qt::AlignTop;
    } else {
        f |= Qt::AlignTop;
        if (flags & kDtWordBreak)
            f |= Qt::TextWordWrap;
    }
    return f;
}

} // namespace

void DrawText(QPainter &p, const QString &text, Rect &r, std::uint32_t flags)
{
    const int f = qtTextFlags(flags);
    if (flags & kDtCalcRect) {
        // Measured from the left edge: the width shrinks to the widest line, the height grows
        // to what the wrapped text needs.
        const int wrapWidth = (flags & kDtWordBreak) ? r.width() : 0x3FFFFFFF;
        const QRect bounds =
            p.fontMetrics().boundingRect(QRect(0, 0, wrapWidth, 0x3FFFFFFF),
                                         (f & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft, text);
        r.right = r.left + bounds.width();
        r.bottom = r.top + bounds.height();
        return;
    }
    p.drawText(r.toQRect(), f, text);
}

QImage AlphaShape(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

void DrawEmbossed(QPainter &p, const QImage &shape, QPoint at, const QColor &highlight,
                  const QColor &shadow)
{
    auto tinted = [&](const QColor &colour) {
        QImage img = shape.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter tp(&img);
        tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tp.fillRect(img.rect(), colour);
        return img;
    };
    p.drawImage(at + QPoint(1, 1), tinted(highlight));
    p.drawImage(at, tinted(shadow));
}

void DrawIconState(QPainter &p, const QImage &icon, const Rect &r, bool disabled)
{
    if (icon.isNull() || r.isEmpty())
        return;
    p.save();
    p.setClipRect(r.toQRect(), Qt::IntersectClip);
    if (disabled)
        DrawEmbossed(p, AlphaShape(icon), QPoint(r.left, r.top),
                     GetSysColor(SysColor::BtnHighlight), GetSysColor(SysColor::BtnShadow));
    else
        p.drawImage(QPoint(r.left, r.top), icon);
    p.restore();
}

OffscreenBuffer::OffscreenBuffer(QPainter &target, const Rect &r)
    : target_(target)
    , rect_(r)
{
    const QPaintDevice *device = target.device();
    direct_ = r.isEmpty() || (device && device->devType() == QInternal::Printer);
    if (direct_)
        return;
    image_ = QImage(r.width(), r.height(), QImage::Format_ARGB32_Premultiplied);
    image_.fill(Qt::transparent);
    buffer_.emplace(&image_);
    buffer_->setFont(target.font());
    buffer_->translate(-r.left, -r.top);
}

OffscreenBuffer::~OffscreenBuffer()
{
    if (direct_)
        return;
    buffer_.reset();
    target_.drawImage(QPoint(rect_.left, rect_.top), image_);
}

} // namespace ktr
