// Where the main window goes on the screen: centred in the area that taskbars and docks leave,
// with its frame and title bar, so the title bar is never off the screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace ktr {

// The top-left corner of a frame of this size centred in the available area; a frame larger
// than the area starts at its top or left edge, so that the title bar can still be reached.
QPoint CentredFramePosition(const QSize &frame, const QRect &available);

// Moves the window so that its frame is centred in its screen's available area. Before the
// window manager has framed the window, its frame is taken to be the window itself; call again
// once the frame is known.
void PlaceInAvailableArea(QWidget &window);

// True once the window manager has given the shown window a frame (title bar, borders).
bool HasWindowFrame(const QWidget &window);

// The window's frame as the window manager has it now, in screen coordinates.
QRect CurrentFrameGeometry(const QWidget &window);

} // namespace ktr
