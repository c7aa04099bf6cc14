// Ends every event loop, the modal window's included, after the first paint of a window; the
// window then shuts down as after its close box.
#include "app/first_paint_exit.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace ktr {
namespace {

class FirstPaintWatch : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (!done_ && event->type() == QEvent::Paint && widget && widget->isWindow()) {
            done_ = true;
            // After the paint has finished, not inside it.
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    bool done_ = false;
};

} // namespace

void QuitAfterFirstPaintFromEnvironment(QApplication &application)
{
    if (qEnvironmentVariableIsEmpty("KTR_QUIT_AFTER_PAINT"))
        return;
    application.installEventFilter(new FirstPaintWatch(&application));
}

} // namespace ktr
