// The pages' forms filled from the device records, and the forms the pages show at start-up.
#pragma once

#include <string_view>

#include "ops/device_block.h"
#include "ops/forms.h"
#include "ops/network_block.h"

namespace ktr {

// Every field of the record into the form; the MAC address is left as it is.
void FillNetworkForm(const NetworkBlock &record, NetworkForm &form);

// Every field of the record into the form, the terminal address as the given text. Values off a
// combo's items become no selection, and every value is shown even when a write would refuse it.
void FillDeviceForm(const DeviceBlock &block, std::string_view terminalAddress, DeviceForm &form);

NetworkForm DefaultNetworkForm();
DeviceForm DefaultDeviceForm();

} // namespace ktr
