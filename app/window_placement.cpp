#include "app/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace ktr {

QPoint CentredFramePosition(const QSize &frame, const QRect &available)
{
    const int x = available.x() + std::max(0, (available.width() - frame.width()) / 2);
    const int y = available.y() + std::max(0, (available.height() - frame.height()) / 2);
    return {x, y};
}

QSize PlaceInAvailableArea(QWidget &window)
{
    const QScreen *screen = window.screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QSize frame = window.frameGeometry().size();
    if (screen != nullptr) {
        // A window's position is that of its frame.
        window.move(CentredFramePosition(frame, screen->availableGeometry()));
    }
    return frame;
}

} // namespace ktr
