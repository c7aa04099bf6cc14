// Conversions between the text typed into the pages and the numbers the device records hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ktr {

// Reads a signed decimal integer from the start of the text: leading white space, an optional
// '+' or '-', then digits up to the first non-digit, accumulated in 32-bit arithmetic that wraps.
// Text without digits gives 0. Every integer field of the pages is read with this.
std::int32_t ReadDecimal(std::string_view text);

// Dotted IPv4 text to its 32-bit value (first octet in the most significant byte). Every '.'
// shifts the accumulator by 8 and ORs in the current part; every other character adds
// (byte - '0') to the current part in wrapping 32-bit arithmetic. Nothing is rejected.
std::uint32_t ParseDottedAddress(std::string_view text);
// "%d.%d.%d.%d" from the most significant byte down.
std::string FormatDottedAddress(std::uint32_t address);

// '0'-'9', 'a'-'f', 'A'-'F' give 0-15; anything else gives 0xFF.
std::uint8_t HexDigitValue(char c);
// 0-15 give '0'-'9' and 'A'-'F' (upper case); only the low four bits are used.
char HexDigitChar(std::uint8_t value);

// Reads the leading decimal floating-point part of the text (white space, sign, digits,
// optional fraction, optional exponent). Text without a number gives 0, and so do "nan" and
// "inf": they are no decimal numbers. A magnitude beyond the double range gives +-infinity so
// that the callers' clamps decide; results are always defined.
double ReadLeadingFloat(std::string_view text);

} // namespace ktr
