// Dialog units: the font-relative measure of the dialog templates, converted to pixels with the
// dialog font's base units the way the Windows dialog manager does.
#pragma once

#include <QFont>
#include <QRect>

namespace ktr {

// Average character width and character height of a dialog font, in pixels.
struct BaseUnits
{
    int cx = 0;
    int cy = 0;
};

// Average width of "A".."Z" and "a".."z" rounded to whole pixels, and the font's height.
BaseUnits MeasureBaseUnits(const QFont &font);

// A horizontal dialog unit is a quarter of cx, a vertical one an eighth of cy; results round to
// the nearest pixel.
int HorizontalDluToPixels(int x, BaseUnits units);
int VerticalDluToPixels(int y, BaseUnits units);
QRect DialogRectToPixels(int x, int y, int width, int height, BaseUnits units);

// The template's face and size, falling back to the Song faces of Windows and to the CJK faces
// common on Linux.
QFont DialogFont(const QString &face, int pointSize);

} // namespace ktr
