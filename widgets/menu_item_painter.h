// Painting of one owner-drawn menu item in the classic or the flat look, and the picture
// operations the looks use: faded and shadow copies, disabled pictures and check marks.
#pragma once

#include "widgets/gdi.h"
#include "widgets/image_list.h"

#include <QImage>
#include <QPainter>

#include <optional>

namespace ktr {

class QuMenu;
struct MenuDrawItem;
struct MenuItemRecord;

// The desktop facts that decide the look, gathered once per item.
struct MenuLook
{
    int osCode = 1;
    bool themedXp = false;
    bool flat = false; // the flat look is selected for this desktop
    bool wideSpacing = true;

    // The running desktop's facts, unless a look has been chosen with OverrideMenuLook.
    static MenuLook current();
};

// Fixes the look for every menu of the process (screenshots and tests of the other look);
// nothing restores the desktop's own choice.
void OverrideMenuLook(std::optional<MenuLook> look);

// The classic look is used on palette displays or when the flat look is not selected.
bool UseClassicLook(bool paletteDevice, bool flatLookSelected);

// The picture at index drawn at w x h on a button-face background; empty when there is none.
QImage PictureToBitmap(const ImageList &list, int index, int w, int h);
// Copies of a picture on the button face: every other pixel lightened by 0.3, or in the
// shadow colour. The face pixels become transparent.
QImage FadedCopy(const QImage &onFace);
QImage ShadowCopy(const QImage &onFace, bool themedXp);
QImage ShadowCopy(const QImage &onFace);
// An embossed disabled picture on the background colour at (x, y). The default renderer
// takes every pixel but the face and highlight colours as shape; the other one takes the dark
// pixels.
void DrawDisabledPicture(QPainter &p, const QImage &bitmap, QPoint at, const QColor &background,
                         bool darkPixelsShape);
// Check marks: seven 3-pixel strokes, and the radio bullet.
void DrawCheckTick(QPainter &p, int x, int y, const QColor &colour);
void DrawCheckBullet(QPainter &p, int x, int y, const QColor &colour);

void PaintMenuItem(const QuMenu &menu, QPainter &p, const MenuDrawItem &item, const MenuLook &look);

} // namespace ktr
