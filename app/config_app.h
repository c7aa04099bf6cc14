// ConfigApp: the application object. It owns the process-wide state, makes sure only one copy
// of the tool runs on the machine, runs the main window modally and ends the process when that
// run ends.
#pragma once

#include "app/message_boxes.h"
#include "ops/app_state.h"

#include <QString>

namespace ktr {

// Where the one-instance lock lives: ktr-setup.lock in the temporary directory.
QString InstanceLockPath();

class ConfigApp
{
public:
    // boxes: where the tool's message boxes go; nullptr for the real modal boxes. lockPath: the
    // one-instance lock (tests running side by side give each their own).
    explicit ConfigApp(MessageBoxes *boxes = nullptr, QString lockPath = InstanceLockPath());

    // Runs the main window; returns the process exit code (1 when another copy is running).
    int run();

private:
    AppState state_;
    ModalMessageBoxes modalBoxes_;
    MessageBoxes &boxes_;
    QString lockPath_;
};

} // namespace ktr
