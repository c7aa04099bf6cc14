// ConfigApp: the application object. It owns the process-wide state, makes sure only one copy
// of the tool runs on the machine, runs the main window modally and ends the process when that
// run ends.
#pragma once

#include "app/message_boxes.h"
#include "ops/app_state.h"

#include <QString>

namespace ktr {

// Where the one-instance lock lives: $KTR_SETUP_LOCK_FILE when set (tests running side by side
// give each their own), else ktr-setup.lock in the temporary directory.
QString InstanceLockPath();

class ConfigApp
{
public:
    // boxes: where the tool's message boxes go; nullptr for the real modal boxes.
    explicit ConfigApp(MessageBoxes *boxes = nullptr);

    // Runs the main window; returns the process exit code (1 when another copy is running).
    int run();

private:
    AppState state_;
    ModalMessageBoxes modalBoxes_;
    MessageBoxes &boxes_;
};

} // namespace ktr
