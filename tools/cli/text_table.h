// Plain text for the terminal: tables with columns aligned by their width on screen (a Chinese
// character takes two columns), and lists of addresses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ktr::cli {

// Columns a UTF-8 text takes on a terminal: wide (East Asian) characters count two.
std::size_t DisplayWidth(std::string_view utf8);

// The rows (the first one the headings), each cell padded to its column's widest cell and
// separated by two spaces; the last column is not padded. Every line ends in '\n'.
std::string FormatTable(const std::vector<std::vector<std::string>> &rows);

// Dotted addresses joined by the separator: "10.77.1.10, 10.77.2.10".
std::string JoinAddresses(const std::vector<std::uint32_t> &addresses, std::string_view separator);

} // namespace ktr::cli
