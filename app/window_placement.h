// Where the main window goes on the screen: centred in the area that taskbars and docks leave,
// with its frame and title bar, so the title bar is never off the screen.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <functional>
#include <vector>

class QShowEvent;
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

// The window's first showing: it is placed, and placed again once the window manager has framed
// it - which happens after the showing, without an event of its own, so the frame is looked for
// a while. What must wait until the window is on the screen (start-up failures, whose boxes
// stand over it) runs right after that showing.
class FirstShowing : public QObject
{
public:
    explicit FirstShowing(QWidget &window);

    // The window's showEvent, after the base class has had it.
    void windowShown(const QShowEvent &event);
    // Runs the action now when the window has been shown, else right after its first showing.
    void whenShown(std::function<void()> action);
    bool shown() const { return shown_; }

private:
    void watchForFrame();
    void runHeld();

    QWidget &window_;
    bool shown_ = false;
    std::vector<std::function<void()>> held_;
    QTimer frameWatch_;
    int frameChecks_ = 0;
};

} // namespace ktr
