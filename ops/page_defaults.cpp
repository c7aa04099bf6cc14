// The values both parameter pages show at start-up, before any device has been read.
#include "ops/commands.h"

#include "ops/page_forms.h"

namespace ktr {

void LoadPageDefaults(NetworkView &networkPage, DeviceView &devicePage)
{
    networkPage.show(DefaultNetworkForm());
    networkPage.setAddressesEnabled(true);
    devicePage.show(DefaultDeviceForm());
}

} // namespace ktr
