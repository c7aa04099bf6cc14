// Colour arithmetic shared by the button's generated icons and the menu looks.
#pragma once

#include <QImage>
#include <QRgb>

namespace ktr {

// Each channel c becomes c + factor * (255 - c), truncated; a factor outside (0, 1] leaves
// the colour as it is.
QRgb Lighten(QRgb colour, double factor);
// Each channel v becomes v - v * factor, truncated; a factor outside (0, 1] leaves the colour.
QRgb Darken(QRgb colour, double factor);
// Luminance grey of a colour (0.299 R + 0.587 G + 0.114 B, truncated), as an 8-bit value.
int GreyValue(QRgb colour);

// The idle icons a button can generate from its active icon. Black pixels stay black and the
// icon's transparency is kept; an empty icon gives an empty result.
QImage GreyIcon(const QImage &active);
QImage DarkerIcon(const QImage &active);

} // namespace ktr
