// The subcommands of ktr-cli, each run to its exit code. Results go to standard output, messages
// to standard error.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "tools/cli/search.h"

namespace ktr::cli {

// Options every subcommand takes.
struct GlobalOptions
{
    bool trace = false;
    std::optional<std::uint32_t> interfaceAddress; // --interface: send on this address only
};

struct SearchOptions
{
    std::chrono::milliseconds wait = kDefaultSearchWait;
    bool json = false;
};

int RunSearch(const GlobalOptions &global, const SearchOptions &options);

} // namespace ktr::cli
