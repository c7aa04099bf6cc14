#include "app/slot_guard.h"

#include <QtGlobal>

#include <exception>

namespace ktr {

void RunGuarded(const std::function<void()> &command) noexcept
{
    try {
        command();
    } catch (const std::exception &e) {
        qCritical("command failed: %s", e.what());
    } catch (...) {
        qCritical("command failed");
    }
}

} // namespace ktr
