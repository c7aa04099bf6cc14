// The device page's controls and the DeviceBlock record: reading the page, showing a record.
#pragma once

#include <string_view>

#include "ops/device_block.h"
#include "ops/ports.h"

namespace ktr {

// The page's values as a record. The terminal address is the edit's text in code page 936
// bytes, already checked to be eight long.
DeviceBlock CollectDevicePage(const Page &page, std::string_view terminalAddress);

// Shows every field but the limits, from the server count to the channel addresses, with the
// terminal address in the given text. Values outside a combo's items are passed as they are:
// the combo then shows no selection.
void ShowDeviceSettings(Page &page, const DeviceBlock &block, std::string_view terminalAddress);

} // namespace ktr
