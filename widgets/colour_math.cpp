#include "widgets/colour_math.h"

namespace ktr {

namespace {

bool factorInRange(double factor)
{
    return factor > 0.0 && factor <= 1.0;
}

template <typename PerChannel>
QRgb mapChannels(QRgb colour, PerChannel f)
{
    return qRgba(f(qRed(colour)), f(qGreen(colour)), f(qBlue(colour)), qAlpha(colour));
}

template <typename PerPixel>
QImage mapPixels(const QImage &active, PerPixel f)
{
    if (active.isNull())
        return {};
    QImage out = active.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0x00FFFFFFu) != 0)
                line[x] = f(line[x]);
        }
    }
    return out;
}

} // namespace

QRgb Lighten(QRgb colour, double factor)
{
    if (!factorInRange(factor))
        return colour;
    return mapChannels(colour,
                       [factor](int c) { return c + static_cast<int>(factor * (255 - c)); });
}

QRgb Darken(QRgb colour, double factor)
{
    if (!factorInRange(factor))
        return colour;
    return mapChannels(colour, [factor](int v) { return static_cast<int>(v - v * factor); });
}

int GreyValue(QRgb colour)
{
    // Integer weights: floating point would give 254 for white, whose exact grey is 255.
    return (299 * qRed(colour) + 587 * qGreen(colour) + 114 * qBlue(colour)) / 1000;
}

QImage GreyIcon(const QImage &active)
{
    return mapPixels(active, [](QRgb px) {
        const int g = GreyValue(px);
        return qRgba(g, g, g, qAlpha(px));
    });
}

QImage DarkerIcon(const QImage &active)
{
    return mapPixels(active, [](QRgb px) { return Darken(px, 0.25); });
}

} // namespace ktr
