#include "app/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace ktr {

QPoint CentredFramePosition(const QSize &frame, const QRect &available)
{
    const int x = available.x() + std::max(0, (available.width() - frame.width()) / 2);
    const int y = available.y() + std::max(0, (available.height() - frame.height()) / 2);
    return {x, y};
}

void PlaceInAvailableArea(QWidget &window)
{
    const QScreen *screen = window.screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const QPoint position =
        CentredFramePosition(CurrentFrameGeometry(window).size(), screen->availableGeometry());
    // The window system places the frame itself; the widget would convert with the frame it
    // remembers, which is none until some later move.
    if (QWindow *handle = window.windowHandle()) {
        const QMargins frame = handle->frameMargins();
        handle->setPosition(position + QPoint(frame.left(), frame.top()));
    } else {
        window.move(position);
    }
}

bool HasWindowFrame(const QWidget &window)
{
    const QWindow *handle = window.windowHandle();
    return handle != nullptr && !handle->frameMargins().isNull();
}

QRect CurrentFrameGeometry(const QWidget &window)
{
    // Asked of the window system each time: the widget's own frame geometry is remembered from
    // before the window manager framed the window.
    const QWindow *handle = window.windowHandle();
    return handle != nullptr ? handle->frameGeometry() : window.frameGeometry();
}

} // namespace ktr
