// JSON files read by ktr-cli (plans, settings files): a key given twice in one object is refused
// instead of silently keeping its last value.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/result.h"

namespace ktr::cli {

// The document, or what is wrong with it: not JSON at all, or the first key that appears twice
// in one object, with the keys of the objects around it ("devices.00-0E-EB-00-00-01.gateway").
[[nodiscard]] Result<nlohmann::ordered_json, std::string> ParseStrictJson(std::string_view text);

} // namespace ktr::cli
