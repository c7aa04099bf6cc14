#include "app/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace ktr {
namespace {

// How long the window looks for the frame the window manager gives it: 3 s.
constexpr int kFrameCheckMs = 50;
constexpr int kFrameChecks = 60;

} // namespace

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

FirstShowing::FirstShowing(QWidget &window)
    : QObject(&window)
    , window_(window)
{
    frameWatch_.setInterval(kFrameCheckMs);
    connect(&frameWatch_, &QTimer::timeout, this, &FirstShowing::watchForFrame);
}

void FirstShowing::windowShown(const QShowEvent &event)
{
    if (shown_ || event.spontaneous())
        return;
    shown_ = true;
    PlaceInAvailableArea(window_);
    frameWatch_.start();
    QTimer::singleShot(0, this, &FirstShowing::runHeld);
}

void FirstShowing::whenShown(std::function<void()> action)
{
    if (shown_)
        action();
    else
        held_.push_back(std::move(action));
}

void FirstShowing::runHeld()
{
    for (const auto &action : std::exchange(held_, {}))
        action();
}

void FirstShowing::watchForFrame()
{
    if (HasWindowFrame(window_) || ++frameChecks_ >= kFrameChecks) {
        frameWatch_.stop();
        PlaceInAvailableArea(window_);
    }
}

} // namespace ktr
