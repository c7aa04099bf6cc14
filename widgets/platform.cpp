#include "widgets/platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QUrl>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ktr {

int OsCodeFromVersion(bool ntFamily, std::optional<OsVersion> detail)
{
    if (!detail)
        return ntFamily ? 1 : 2;
    if (!ntFamily) {
        if (detail->major < 4)
            return 0;
        if (detail->major == 4 && detail->minor == 10)
            return 3;
        if (detail->major == 4 && detail->minor == 90)
            return 4;
        return 2;
    }
    if (detail->major == 4)
        return 5;
    if (detail->major == 5 && detail->minor == 0)
        return 6;
    if (detail->major == 5 && detail->minor == 1)
        return 7;
    return 1;
}

int GetOsCode()
{
    static const int code = [] {
#ifdef _WIN32
        const DWORD packed = ::GetVersion();
        const bool nt = (packed & 0x80000000u) == 0;
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof(info);
        // Deprecated, and wanted: it reports the version the program's manifest declares.
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
        const BOOL known = ::GetVersionExA(&info);
#ifndef _MSC_VER
#pragma GCC diagnostic pop
#endif
        if (!known)
            return OsCodeFromVersion(nt, std::nullopt);
        return OsCodeFromVersion(nt, OsVersion{nt, info.dwMajorVersion, info.dwMinorVersion});
#else
        return OsCodeFromVersion(true, std::nullopt);
#endif
    }();
    return code;
}

bool IsClassicThemeName(const QString &themeFile)
{
    static const QString classic = QStringLiteral("Windows Classic.theme");
    return themeFile.size() >= classic.size() && themeFile.endsWith(classic, Qt::CaseInsensitive);
}

bool IsClassicTheme()
{
    static const bool classic = [] {
#ifdef _WIN32
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!\\Themes\\Current", 0,
                            KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        char value[260] = {};
        DWORD size = sizeof(value) - 1;
        const bool read =
            ::RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(value),
                               &size) == ERROR_SUCCESS;
        ::RegCloseKey(key);
        return read && IsClassicThemeName(QString::fromLocal8Bit(value));
#else
        return false;
#endif
    }();
    return classic;
}

QFont MenuFont()
{
    return QApplication::font("QMenu");
}

int MenuBarHeight()
{
    // The desktop's menu bar leaves a few pixels above and below its font.
    return QFontMetrics(MenuFont()).height() + 6;
}

void PlaySoundFile(const QString &file)
{
#ifdef _WIN32
    ::PlaySoundW(reinterpret_cast<LPCWSTR>(file.utf16()), nullptr, SND_FILENAME | SND_ASYNC);
#else
    // No sound service is linked in off Windows; hover and click stay silent.
    (void)file;
#endif
}

bool OpenLink(const QString &link)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(link));
}

} // namespace ktr
