// Device and terminal arguments.
#include "tools/cli/arguments.h"

#include <algorithm>
#include <cstdio>

#include "ops/mac_text.h"
#include "ops/text_convert.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace ktr::cli {

std::optional<MacAddress> ParseMacArgument(const std::string &text)
{
    constexpr std::size_t kDashedLength = 17;
    constexpr std::size_t kPlainLength = 12;
    if (text.size() == kDashedLength)
        return ParseMacDashed(text);
    if (text.size() == kPlainLength &&
        std::all_of(text.begin(), text.end(), [](char c) { return HexDigitValue(c) != 0xFF; }))
        return ParseMacPlain(text);
    return std::nullopt;
}

bool IsTerminal(std::FILE *stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

} // namespace ktr::cli
