// ConfigApp: the application object. It owns the process-wide state, runs the main window
// modally and ends the process when that run ends.
#pragma once

#include "app/message_boxes.h"
#include "ops/app_state.h"

namespace ktr {

class ConfigApp
{
public:
    // Runs the main window; returns the process exit code.
    int run();

private:
    AppState state_;
    ModalMessageBoxes boxes_;
};

} // namespace ktr
