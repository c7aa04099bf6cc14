// Where a button puts its icon or bitmap relative to its caption.
#pragma once

#include "widgets/gdi.h"

#include <cstdint>

namespace ktr {

// Image alignments: 0 left of the caption, 1 above it, 2 right of it, 3 over it at the
// top-left corner.
inline constexpr std::uint8_t kAlignLeft = 0;
inline constexpr std::uint8_t kAlignTop = 1;
inline constexpr std::uint8_t kAlignRight = 2;
inline constexpr std::uint8_t kAlignOver = 3;

struct ImagePlacement
{
    std::uint8_t alignment = kAlignLeft;
    int marginX = 3;
    int marginY = 3;
    QPoint pressedOffset{1, 1};
    bool checkBoxMode = false;
};

// Returns the image rectangle for an image of w x h in the item rectangle and narrows the
// caption rectangle to leave room for it. The image rectangle keeps the item's right and
// bottom edges. clientRight is the right edge of the button's client area.
Rect PlaceImage(const ImagePlacement &settings, bool hasCaption, const Rect &item, Rect &caption,
                bool pressed, int w, int h, int clientRight);

} // namespace ktr
