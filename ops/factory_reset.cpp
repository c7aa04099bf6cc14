// Ordering the selected device back to its factory settings. The page is left as typed.
#include "ops/commands.h"

#include "ops/command_support.h"

namespace ktr {

void OnLoadDefaults(Ui &ui)
{
    SendWithProgress(ui, EncodeFactoryResetRequest(ui.state.SelectedDeviceMac), "恢复出厂设置...");
}

} // namespace ktr
