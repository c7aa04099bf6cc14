// Search and the merge of its replies.
#include "tools/cli/search.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace ktr::cli {
namespace {

// How often a search that can be stopped asks whether it should.
constexpr std::chrono::milliseconds kStopCheck{50};

} // namespace

std::vector<FoundDevice> MergeSearchReplies(const std::vector<Reply> &replies)
{
    std::map<MacAddress, FoundDevice> byMac;
    for (const Reply &r : replies) {
        if (ClassifyDatagram(r.data).kind != DatagramKind::SearchReply)
            continue;
        const SearchReply reply = DecodeSearchReply(r.data);
        auto [it, added] = byMac.try_emplace(reply.mac, FoundDevice{reply, {}});
        std::vector<std::uint32_t> &heard = it->second.heardOn;
        if (r.via != 0 && std::find(heard.begin(), heard.end(), r.via) == heard.end())
            heard.insert(std::upper_bound(heard.begin(), heard.end(), r.via), r.via);
    }
    std::vector<FoundDevice> found;
    for (auto &[mac, device] : byMac)
        found.push_back(std::move(device));
    std::stable_sort(found.begin(), found.end(), [](const FoundDevice &a, const FoundDevice &b) {
        return std::tie(a.reply.ip, a.reply.mac) < std::tie(b.reply.ip, b.reply.mac);
    });
    return found;
}

std::optional<std::vector<FoundDevice>> Search(Session &session, std::chrono::milliseconds wait,
                                               const StopWaiting &stop)
{
    std::vector<Reply> replies;
    if (!session.send(EncodeSearchRequest()))
        return std::nullopt;
    const auto deadline = Clock::now() + wait;
    for (auto now = Clock::now(); now < deadline && !(stop && stop()); now = Clock::now()) {
        if (auto reply = session.receive(stop ? std::min(deadline, now + kStopCheck) : deadline))
            replies.push_back(std::move(*reply));
    }
    return MergeSearchReplies(replies);
}

std::optional<AgreedSearch> SearchUntilAgreed(const SearchOnce &search, int limit,
                                              const StopWaiting &stop)
{
    const auto macs = [](const std::vector<FoundDevice> &devices) {
        std::set<MacAddress> set;
        for (const FoundDevice &d : devices)
            set.insert(d.reply.mac);
        return set;
    };
    AgreedSearch result;
    std::set<MacAddress> previous;
    while (result.searches < limit && !result.agreed && !(stop && stop())) {
        auto found = search();
        if (!found)
            return std::nullopt;
        std::set<MacAddress> heard = macs(*found);
        result.agreed = ++result.searches > 1 && heard == previous;
        result.devices = std::move(*found);
        previous = std::move(heard);
    }
    return result;
}

} // namespace ktr::cli
