#include "app/dialog_units.h"

#include <QFontInfo>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace ktr {
namespace {

// Rounded a * b / c for non-negative a and positive b and c, with negative a mirrored.
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : -((-product + half) / c));
}

} // namespace

BaseUnits MeasureBaseUnits(const QFont &font)
{
    const int cell = std::max(QFontInfo(font).pixelSize(), 1);
    return BaseUnits{(cell + 1) / 2, cell};
}

int HorizontalDluToPixels(int x, BaseUnits units)
{
    return MulDiv(x, units.cx, 4);
}

int VerticalDluToPixels(int y, BaseUnits units)
{
    return MulDiv(y, units.cy, 8);
}

QRect DialogRectToPixels(int x, int y, int width, int height, BaseUnits units)
{
    return QRect(HorizontalDluToPixels(x, units), VerticalDluToPixels(y, units),
                 HorizontalDluToPixels(width, units), VerticalDluToPixels(height, units));
}

QFont DialogFont(const QString &face, int pointSize)
{
    QFont font;
    font.setFamilies({face, QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("WenQuanYi Zen Hei Sharp"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("WenQuanYi Zen Hei")});
    font.setPointSize(pointSize);
    return font;
}

} // namespace ktr
