// The dialog font as the window draws it on Windows' own platform plugin: every glyph whole.
// Text is drawn from a cache of glyph images whose boxes the font system measures; when those
// boxes come out too small (Wine's GDI for fonts with embedded bitmaps), glyphs lose their left
// or top edge and hyphens vanish. A glyph filled from its outline has no such box, so the two
// drawings of each glyph must cover the same pixels, give or take the edge smoothing.
#include <gtest/gtest.h>

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QString>

#include "app/dialog_units.h"

namespace ktr {
namespace {

constexpr int kSide = 48;

// The rectangle of pixels noticeably darker than the white background.
QRect InkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 224)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

QImage Blank()
{
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QRect DrawnAsText(const QFont &font, const QString &glyph)
{
    QImage image = Blank();
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(kSide / 4, kSide / 2), glyph);
    painter.end();
    return InkBox(image);
}

QRect FilledFromOutline(const QFont &font, const QString &glyph)
{
    QImage image = Blank();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addText(QPointF(kSide / 4, kSide / 2), font, glyph);
    painter.fillPath(path, Qt::black);
    painter.end();
    return InkBox(image);
}

TEST(GlyphTest, DialogFontDrawsEveryGlyphOfTheWindowWhole)
{
    // The letters, digits and marks of device names, addresses and MACs, and the page's words.
    const QString glyphs = QStringLiteral("KTR-4410HTLAN.:eaWX0同一局域网目标端口地址本");
    for (const bool bold : {false, true}) {
        QFont font = DialogFont(QStringLiteral("宋体"), 9);
        font.setBold(bold);
        for (const QChar glyph : glyphs) {
            const QRect outline = FilledFromOutline(font, glyph);
            if (outline.isEmpty())
                continue; // a face without outlines for it: nothing to compare against
            const QRect drawn = DrawnAsText(font, glyph);
            SCOPED_TRACE(
                QStringLiteral("%1 %2").arg(glyph).arg(bold ? "bold" : "regular").toStdString());
            EXPECT_FALSE(drawn.isEmpty()) << "the glyph is not drawn at all";
            EXPECT_LE(drawn.left(), outline.left() + 1);
            EXPECT_LE(drawn.top(), outline.top() + 1);
            EXPECT_GE(drawn.right(), outline.right() - 1);
            EXPECT_GE(drawn.bottom(), outline.bottom() - 1);
        }
    }
}

} // namespace
} // namespace ktr
