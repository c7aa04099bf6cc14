// The tool's string table and the numbers of its icon resources.
#pragma once

#include <string_view>

namespace ktr {

inline constexpr int kAboutEntryString = 101;
inline constexpr int kAppIconResource = 128;

// The string with this number; empty when there is none.
std::string_view LoadResourceString(int id);

} // namespace ktr
