// Conversion between the program's UTF-8 text and the code page 936 bytes the device stores.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ktr {

// UTF-8 to code page 936 (GBK). A character the code page cannot hold becomes '?'.
std::string Utf8ToAnsi(std::string_view utf8);
// UTF-8 to code page 936 when every character has a place there; nullopt otherwise.
[[nodiscard]] std::optional<std::string> Utf8ToAnsiExact(std::string_view utf8);
// Code page 936 to UTF-8. A byte sequence that is no valid character becomes U+FFFD.
std::string AnsiToUtf8(std::string_view ansi);

} // namespace ktr
