// The two text forms of a MAC address: twelve digits in the device list, dash form on the page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/frame.h"

namespace ktr {

// "000EEB123456": each octet "%02X", first octet first.
std::string FormatMacPlain(const MacAddress &mac);
// "00-0E-EB-12-34-56".
std::string FormatMacDashed(const MacAddress &mac);

// The device list's twelve-digit form back to bytes: byte i from characters 2i and 2i+1 while
// character 2i+1 exists; bytes no pair reaches stay 0. Not validated: a non-digit counts 0xFF.
MacAddress ParseMacPlain(std::string_view text);

// The one accepted typed form: six hex pairs (either case) at 0-1, 3-4, ... 15-16 with '-' at
// 2, 5, 8, 11 and 14; characters from position 17 on are not looked at. nullopt otherwise.
[[nodiscard]] std::optional<MacAddress> ParseMacDashed(std::string_view text);

} // namespace ktr
