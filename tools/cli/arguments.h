// Command-line values that name a device or a host address, and where the program talks to a
// person at a terminal.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "link/frame.h"

namespace ktr::cli {

// "00-0E-EB-12-34-56" (as the network page shows it) or "000EEB123456" (as the device list
// does), either case; nullopt for anything else.
[[nodiscard]] std::optional<MacAddress> ParseMacArgument(const std::string &text);

// True when the stream (stdin, stderr) is a terminal.
[[nodiscard]] bool IsTerminal(std::FILE *stream);

} // namespace ktr::cli
