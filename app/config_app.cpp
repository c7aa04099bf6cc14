#include "app/config_app.h"

#include "app/main_dialog.h"

namespace ktr {

int ConfigApp::run()
{
    MainDialog dialog(state_, boxes_);
    dialog.exec();
    // However the run ended (close box, Esc, Enter), the receiver stops before the window goes.
    dialog.shutDownNetwork();
    return 0;
}

} // namespace ktr
