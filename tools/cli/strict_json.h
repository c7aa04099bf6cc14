// JSON files read by ktr-cli (plans, settings files): a key given twice in one object is refused
// instead of silently keeping its last value.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/result.h"

namespace ktr::cli {

// A place in a text, both counted from 1; a column counts characters, not bytes.
struct TextPosition
{
    std::size_t line = 1;
    std::size_t column = 1;
};

// The place of the character that starts at the byte offset.
[[nodiscard]] TextPosition PositionAt(std::string_view text, std::size_t offset);

// The document, or what is wrong with it: not JSON, with the line and column where it stops
// being JSON, or the first key that appears twice
// in one object, with the keys of the objects around it ("devices.00-0E-EB-00-00-01.gateway").
[[nodiscard]] Result<nlohmann::ordered_json, std::string> ParseStrictJson(std::string_view text);

} // namespace ktr::cli
