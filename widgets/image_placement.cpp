#include "widgets/image_placement.h"

namespace ktr {

Rect PlaceImage(const ImagePlacement &settings, bool hasCaption, const Rect &item, Rect &caption,
                bool pressed, int w, int h, int clientRight)
{
    Rect image = item;
    const int X = item.left;
    const int Y = item.top;
    const int W = item.width();
    const int H = item.height();
    const int centredLeft = X + (W - w) / 2;
    const int centredTop = Y + (H - h) / 2;

    switch (settings.alignment) {
    case kAlignLeft:
        if (hasCaption) {
            image.left = X + settings.marginX;
            caption.left += w + settings.marginX;
        } else {
            image.left = centredLeft;
        }
        image.top = centredTop;
        break;
    case kAlignTop:
        image.left = centredLeft;
        if (hasCaption) {
            image.top = settings.marginY;
            caption.top += h;
        } else {
            image.top = centredTop;
        }
        break;
    case kAlignRight:
        if (hasCaption) {
            caption.right -= caption.left + settings.marginX + w;
            caption.left = settings.marginX;
            image.left = clientRight - settings.marginX - w;
            image.top = centredTop;
        } else {
            image.left = centredLeft;
        }
        break;
    default: // over the caption: the item's own corner
        break;
    }

    if (pressed && !settings.checkBoxMode)
        image.offset(settings.pressedOffset.x(), settings.pressedOffset.y());
    return image;
}

} // namespace ktr
