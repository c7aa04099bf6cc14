// The command line of ktr-sim.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "tools/parse_number.h"
#include "tools/sim/fleet.h"

namespace ktr {

struct SimOptions
{
    FleetOptions fleet;
    bool quiet = false; // a summary of each busy spell instead of a line per device and request
    bool help = false;
    bool version = false;
};

// The options, or the message that says what is wrong with the command line.
using ParsedSimOptions = Result<SimOptions, std::string>;

// Reads the arguments after the program name.
[[nodiscard]] ParsedSimOptions ParseSimOptions(const std::vector<std::string_view> &args);

std::string SimHelpText();

} // namespace ktr
