// The command line of ktr-sim.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

struct ParsedSimOptions
{
    std::optional<SimOptions> options; // nullopt: error holds the message
    std::string error;
};

// Reads the arguments after the program name.
ParsedSimOptions ParseSimOptions(const std::vector<std::string_view> &args);

std::string SimHelpText();

} // namespace ktr
