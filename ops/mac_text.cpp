// MAC address text forms.
#include "ops/mac_text.h"

#include "ops/text_convert.h"

namespace ktr {
namespace {

std::string FormatMac(const MacAddress &mac, const char *separator)
{
    std::string text;
    for (std::size_t i = 0; i < mac.size(); ++i) {
        if (i > 0)
            text += separator;
        text += HexDigitChar(static_cast<std::uint8_t>(mac[i] >> 4));
        text += HexDigitChar(mac[i]);
    }
    return text;
}

std::uint8_t PairValue(char high, char low)
{
    return static_cast<std::uint8_t>(HexDigitValue(high) * 16 + HexDigitValue(low));
}

} // namespace

std::string FormatMacPlain(const MacAddress &mac)
{
    return FormatMac(mac, "");
}

std::string FormatMacDashed(const MacAddress &mac)
{
    return FormatMac(mac, "-");
}

MacAddress ParseMacPlain(std::string_view text)
{
    MacAddress mac{};
    for (std::size_t i = 0; i < mac.size() && 2 * i + 1 < text.size(); ++i)
        mac[i] = PairValue(text[2 * i], text[2 * i + 1]);
    return mac;
}

std::optional<MacAddress> ParseMacDashed(std::string_view text)
{
    constexpr std::size_t kDashedLength = 17;
    if (text.size() < kDashedLength)
        return std::nullopt;
    MacAddress mac{};
    for (std::size_t k = 0; k < mac.size(); ++k) {
        const std::size_t p = 3 * k;
        if (HexDigitValue(text[p]) == 0xFF || HexDigitValue(text[p + 1]) == 0xFF)
            return std::nullopt;
        if (p + 2 < kDashedLength && text[p + 2] != '-')
            return std::nullopt;
        mac[k] = PairValue(text[p], text[p + 1]);
    }
    return mac;
}

} // namespace ktr
