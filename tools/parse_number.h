// Strict reading of whole command-line numbers and addresses, shared by the tools.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <system_error>

namespace ktr {

// The whole text as a number in [low, high]; nullopt for empty text, trailing characters,
// overflow or a value out of bounds.
template <typename T>
[[nodiscard]] std::optional<T> ParseNumber(std::string_view text, T low, T high)
{
    T value{};
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
        return std::nullopt;
    return value;
}

// Strict dotted quad "a.b.c.d" with each part 0-255; nullopt otherwise.
[[nodiscard]] inline std::optional<std::uint32_t> ParseIpv4(std::string_view text)
{
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.');
        if ((part < 3) == (dot == std::string_view::npos))
            return std::nullopt;
        const auto octet = ParseNumber<unsigned>(text.substr(0, dot), 0, 255);
        if (!octet)
            return std::nullopt;
        address = address << 8 | *octet;
        text.remove_prefix(part < 3 ? dot + 1 : text.size());
    }
    return address;
}

} // namespace ktr
