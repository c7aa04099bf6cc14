// Plain-text tables for the terminal: columns aligned by their width on screen, where a Chinese
// character takes two columns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ktr::cli {

// Columns a UTF-8 text takes on a terminal: wide (East Asian) characters count two.
std::size_t DisplayWidth(std::string_view utf8);

// The rows (the first one the headings), each cell padded to its column's widest cell and
// separated by two spaces; the last column is not padded. Every line ends in '\n'.
std::string FormatTable(const std::vector<std::vector<std::string>> &rows);

} // namespace ktr::cli
