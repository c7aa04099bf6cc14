// The search: one request on every interface, the replies collected for a while, each device
// listed once.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "ops/search_reply.h"
#include "tools/cli/session.h"

namespace ktr::cli {

inline constexpr std::chrono::milliseconds kDefaultSearchWait{1500};
// Searches made at most before giving up on two in a row agreeing.
inline constexpr int kAgreeingSearchLimit = 5;

struct FoundDevice
{
    SearchReply reply;                  // the first reply heard from the device
    std::vector<std::uint32_t> heardOn; // local addresses that heard it, ascending
};

// One entry per MAC address, sorted by IP address (then MAC). A device heard on two interfaces
// (or twice on one) is listed once, with every local address that heard it. Datagrams that are
// no complete search reply are left out.
std::vector<FoundDevice> MergeSearchReplies(const std::vector<Reply> &replies);

// Asked while a search waits: true ends the wait early (Ctrl+C).
using StopWaiting = std::function<bool()>;

// Broadcasts one search request and collects the replies until the wait is over, or until
// `stop` says so (asked at least every 50 ms); nullopt when the request went out on no
// interface.
[[nodiscard]] std::optional<std::vector<FoundDevice>>
Search(Session &session, std::chrono::milliseconds wait, const StopWaiting &stop = {});

struct AgreedSearch
{
    std::vector<FoundDevice> devices; // what the last search found
    int searches = 0;
    bool agreed = false; // the last two searches heard the same MAC addresses
};

using SearchOnce = std::function<std::optional<std::vector<FoundDevice>>()>;

// Searches until two searches in a row hear the same MAC addresses, at most `limit` times: one
// search can miss devices whose replies were lost, and settings for every device found must not
// be worked out from a partial list. No further search starts once `stop` says so. nullopt when
// a search went out on no interface.
[[nodiscard]] std::optional<AgreedSearch> SearchUntilAgreed(const SearchOnce &search, int limit,
                                                            const StopWaiting &stop = {});

} // namespace ktr::cli
