// How a search's result is shown: an aligned table, or JSON for scripts.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tools/cli/search.h"

namespace ktr::cli {

// Headings 设备IP, MAC地址, 固件版本, 接口 and one row per device; a device heard on more than
// one interface names each of them.
std::string SearchTable(const std::vector<FoundDevice> &devices);

// {"devices": an array of {"ip", "mac", "firmware", "interfaces"} objects in the table's order,
//  "dropped": the replies the system reported dropping before the tool could take them}.
nlohmann::ordered_json SearchJson(const std::vector<FoundDevice> &devices, std::uint64_t dropped);

} // namespace ktr::cli
