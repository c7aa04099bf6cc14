// Strict reading of a whole command-line number within bounds, shared by the tools.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

namespace ktr {

// The whole text as a number in [low, high]; nullopt for empty text, trailing characters,
// overflow or a value out of bounds.
template <typename T>
std::optional<T> ParseNumber(std::string_view text, T low, T high)
{
    T value{};
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace ktr
