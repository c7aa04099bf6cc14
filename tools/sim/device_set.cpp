// Parsing and membership of device sets.
#include "tools/sim/device_set.h"

#include <charconv>

namespace ktr {
namespace {

[[nodiscard]] std::optional<std::size_t> ParseIndex(std::string_view text)
{
    std::size_t value = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace

DeviceSet DeviceSet::all()
{
    DeviceSet set;
    set.all_ = true;
    return set;
}

DeviceSet DeviceSet::everyNth(std::size_t n)
{
    DeviceSet set;
    set.every_ = n;
    return set;
}

std::optional<DeviceSet> DeviceSet::parse(std::string_view text)
{
    if (text == "all")
        return all();
    if (!text.empty() && text.front() == '%') {
        const auto n = ParseIndex(text.substr(1));
        if (!n || *n == 0)
            return std::nullopt;
        return everyNth(*n);
    }
    DeviceSet set;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const std::size_t dash = part.find('-');
        const auto first = ParseIndex(part.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : ParseIndex(part.substr(dash + 1));
        if (!first || !last || *last < *first)
            return std::nullopt;
        set.ranges_.emplace_back(*first, *last);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return set;
}

bool DeviceSet::contains(std::size_t index) const
{
    if (all_)
        return true;
    if (every_ != 0 && index % every_ == 0)
        return true;
    for (const auto &[first, last] : ranges_) {
        if (index >= first && index <= last)
            return true;
    }
    return false;
}

} // namespace ktr
