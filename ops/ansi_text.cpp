// UTF-8 <-> code page 936 through the platform's converter.
#include "ops/ansi_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <algorithm>
#include <cerrno>
#include <iconv.h>
#endif

namespace ktr {
namespace {

#ifdef _WIN32

constexpr UINT kAnsiCodePage = 936;
constexpr wchar_t kReplacement = 0xFFFD;

std::wstring Widen(std::string_view text, UINT codePage, DWORD flags)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(),
                        n);
    return wide;
}

std::string Narrow(const std::wstring &wide, UINT codePage, bool *lossless = nullptr)
{
    if (wide.empty()) {
        if (lossless != nullptr)
            *lossless = true; // nothing to lose
        return {};
    }
    const bool toUtf8 = codePage == CP_UTF8;
    const char *defaultChar = toUtf8 ? nullptr : "?";
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, defaultChar, toUtf8 ? nullptr : &usedDefault);
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                        defaultChar, nullptr);
    if (lossless != nullptr)
        *lossless = !usedDefault;
    return text;
}

bool IsHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

// A character beyond the basic plane travels in UTF-16 as two surrogates, which code page 936
// would turn into two question marks; it is one unmappable character, so one mark.
std::wstring OneUnitPerCharacter(const std::wstring &wide)
{
    std::wstring out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (IsHighSurrogate(wide[i]) && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            out += L'?';
            ++i;
        } else {
            out += wide[i];
        }
    }
    return out;
}

// Windows maps bytes that start no character of code page 936 to '?' or to private-use
// characters; device texts show them as U+FFFD instead and go on with the next byte, as the
// iconv conversion does.
std::wstring DecodeAnsi(std::string_view ansi)
{
    std::wstring wide;
    wide.reserve(ansi.size());
    std::size_t i = 0;
    while (i < ansi.size()) {
        const auto byte = static_cast<unsigned char>(ansi[i]);
        if (byte < 0x80) {
            wide += static_cast<wchar_t>(byte);
            ++i;
            continue;
        }
        const int length = IsDBCSLeadByteEx(kAnsiCodePage, byte) && i + 1 < ansi.size() ? 2 : 1;
        wchar_t c[2]{};
        const int n =
            MultiByteToWideChar(kAnsiCodePage, MB_ERR_INVALID_CHARS, ansi.data() + i, length, c, 2);
        const bool privateUse = c[0] >= 0xE000 && c[0] <= 0xF8FF;
        if (n == 1 && !privateUse) {
            wide += c[0];
            i += static_cast<std::size_t>(length);
        } else {
            wide += kReplacement;
            ++i;
        }
    }
    return wide;
}

#else

// How many bytes an unconvertible UTF-8 character takes: its first byte and the continuation
// bytes (10xxxxxx) that follow it, at most four in all.
std::size_t Utf8CharacterLength(std::string_view rest)
{
    std::size_t n = 1;
    while (n < rest.size() && n < 4 && (static_cast<unsigned char>(rest[n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

std::size_t OneByte(std::string_view)
{
    return 1;
}

// One conversion with iconv. A sequence that cannot be converted is replaced by `replacement`
// and skipped (its length told by `sequenceLength`), so the rest of the text is never lost.
// `lossless`, when given, tells whether nothing had to be replaced.
std::string Convert(std::string_view input, const char *to, const char *from,
                    std::string_view replacement, std::size_t (*sequenceLength)(std::string_view),
                    bool *lossless = nullptr)
{
    if (lossless != nullptr)
        *lossless = true;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (lossless != nullptr)
            *lossless = false;
        return std::string(input);
    }
    std::string output;
    char *in = const_cast<char *>(input.data());
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char *out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<std::size_t>(out - buffer));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            if (lossless != nullptr)
                *lossless = false;
            output.append(replacement);
            const std::size_t step = sequenceLength(std::string_view(in, inLeft));
            in += step;
            inLeft -= step;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return output;
}

#endif

} // namespace

std::string Utf8ToAnsi(std::string_view utf8)
{
#ifdef _WIN32
    return Narrow(OneUnitPerCharacter(Widen(utf8, CP_UTF8, 0)), kAnsiCodePage);
#else
    return Convert(utf8, "CP936", "UTF-8", "?", Utf8CharacterLength);
#endif
}

std::optional<std::string> Utf8ToAnsiExact(std::string_view utf8)
{
    bool lossless = false;
#ifdef _WIN32
    const std::wstring wide = Widen(utf8, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (wide.empty() != utf8.empty())
        return std::nullopt;
    std::string ansi = Narrow(wide, kAnsiCodePage, &lossless);
#else
    std::string ansi = Convert(utf8, "CP936", "UTF-8", "?", Utf8CharacterLength, &lossless);
#endif
    if (!lossless)
        return std::nullopt;
    return ansi;
}

std::string AnsiToUtf8(std::string_view ansi)
{
#ifdef _WIN32
    return Narrow(DecodeAnsi(ansi), CP_UTF8);
#else
    return Convert(ansi, "UTF-8", "CP936", "\xEF\xBF\xBD", OneByte);
#endif
}

} // namespace ktr
