// A set of simulated devices named on the command line by their index ("all", "3", "0,2,5-9",
// "%4" for every fourth device from 0).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace ktr {

class DeviceSet
{
public:
    // The empty set.
    DeviceSet() = default;
    static DeviceSet all();
    static DeviceSet everyNth(std::size_t n);

    // nullopt for text that is no set (empty parts, a range that runs backwards, %0, ...).
    [[nodiscard]] static std::optional<DeviceSet> parse(std::string_view text);

    bool contains(std::size_t index) const;
    bool empty() const { return !all_ && every_ == 0 && ranges_.empty(); }

private:
    bool all_ = false;
    std::size_t every_ = 0;                                   // index % every_ == 0 when non-zero
    std::vector<std::pair<std::size_t, std::size_t>> ranges_; // inclusive
};

} // namespace ktr
