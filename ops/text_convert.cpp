// Text-to-number conversions with fixed, defined results for any input.
#include "ops/text_convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace ktr {
namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t SkipSpace(std::string_view text, std::size_t i)
{
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    return i;
}

std::size_t SkipDigits(std::string_view text, std::size_t i)
{
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i;
}

// Rough decimal order of magnitude of a well-formed number text (no sign): positive when the
// value is at least 1, zero or negative when it is below 1. Saturates instead of overflowing.
long long DecimalMagnitude(std::string_view number)
{
    const std::size_t ePos = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, ePos);
    long long exponent = 0;
    if (ePos != std::string_view::npos) {
        std::size_t i = ePos + 1;
        const bool negative = i < number.size() && number[i] == '-';
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            ++i;
        for (; i < number.size(); ++i)
            exponent = std::min(exponent * 10 + (number[i] - '0'), 1'000'000'000LL);
        if (negative)
            exponent = -exponent;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t firstNonZero = mantissa.find_first_of("123456789");
    if (firstNonZero == std::string_view::npos)
        return -1'000'000'000LL;
    const long long position = firstNonZero < point
                                   ? static_cast<long long>(point - firstNonZero)
                                   : -static_cast<long long>(firstNonZero - point - 1);
    return position + exponent;
}

} // namespace

std::int32_t ReadDecimal(std::string_view text)
{
    std::size_t i = SkipSpace(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0; // unsigned so that the wrap is defined
    for (; i < text.size() && IsDigit(text[i]); ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::uint32_t ParseDottedAddress(std::string_view text)
{
    std::uint32_t accumulator = 0;
    std::uint32_t part = 0;
    for (char c : text) {
        if (c == '.') {
            accumulator = accumulator << 8 | part;
            part = 0;
        } else {
            part = part * 10u + (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) - 48u);
        }
    }
    return accumulator << 8 | part;
}

std::string FormatDottedAddress(std::uint32_t address)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFFu,
                  (address >> 8) & 0xFFu, address & 0xFFu);
    return buffer;
}

std::uint8_t HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    return 0xFF;
}

char HexDigitChar(std::uint8_t value)
{
    return "0123456789ABCDEF"[value & 0x0F];
}

double ReadLeadingFloat(std::string_view text)
{
    // Only the decimal form counts: sign, digits, optional fraction, optional exponent. The
    // span is measured first so that "nan", "inf" and hexadecimal text are no number.
    const std::size_t start = SkipSpace(text, 0);
    std::size_t i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t intStart = i;
    i = SkipDigits(text, i);
    bool haveDigits = i > intStart;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fracStart = i + 1;
        const std::size_t fracEnd = SkipDigits(text, fracStart);
        if (haveDigits || fracEnd > fracStart) {
            haveDigits = true;
            i = fracEnd;
        }
    }
    if (!haveDigits)
        return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        const std::size_t expEnd = SkipDigits(text, e);
        if (expEnd > e)
            i = expEnd;
    }
    // from_chars does not take a leading '+'.
    std::size_t numberStart = start;
    if (text[numberStart] == '+')
        ++numberStart;
    const char *first = text.data() + numberStart;
    const char *last = text.data() + i;
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the double range: too large gives an infinity of the number's sign (the
        // callers' clamps then decide), too small gives zero.
        const bool negative = text[start] == '-';
        if (DecimalMagnitude(std::string_view(first, static_cast<std::size_t>(last - first))) <= 0)
            return negative ? -0.0 : 0.0;
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    }
    if (result.ec != std::errc())
        return 0.0;
    return value;
}

} // namespace ktr
