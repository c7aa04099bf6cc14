// The search: one request on every interface, the replies collected for a while, each device
// listed once.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "ops/search_reply.h"
#include "tools/cli/session.h"

namespace ktr::cli {

inline constexpr std::chrono::milliseconds kDefaultSearchWait{1500};

struct FoundDevice
{
    SearchReply reply;                  // the first reply heard from the device
    std::vector<std::uint32_t> heardOn; // local addresses that heard it, ascending
};

// One entry per MAC address, sorted by IP address (then MAC). A device heard on two interfaces
// (or twice on one) is listed once, with every local address that heard it. Datagrams that are
// no complete search reply are left out.
std::vector<FoundDevice> MergeSearchReplies(const std::vector<Reply> &replies);

// Broadcasts one search request and collects the replies until the wait is over; nullopt when
// the request went out on no interface.
std::optional<std::vector<FoundDevice>> Search(Session &session, std::chrono::milliseconds wait);

} // namespace ktr::cli
