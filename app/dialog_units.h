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

// The templates were drawn for a Song face whose character cell is its em - 12 px at 9 pt and
// 96 dpi - with half-width Latin letters, so that a dialog unit is as tall as it is wide. The
// base units are that cell: the font's pixel size at the screen's dpi, and half of it. The face
// that happens to render does not change them, so a CJK fallback with a tall line (Noto Sans CJK
// SC: 17 px at 9 pt) does not stretch every window vertically.
BaseUnits MeasureBaseUnits(const QFont &font);

// A horizontal dialog unit is a quarter of cx, a vertical one an eighth of cy; results round to
// the nearest pixel.
int HorizontalDluToPixels(int x, BaseUnits units);
int VerticalDluToPixels(int y, BaseUnits units);
QRect DialogRectToPixels(int x, int y, int width, int height, BaseUnits units);

// The template's face and size, falling back to the Song faces of Windows, then to the CJK face
// of Linux whose cell is its em like theirs (WenQuanYi Zen Hei Sharp), then to other CJK faces.
QFont DialogFont(const QString &face, int pointSize);

} // namespace ktr
