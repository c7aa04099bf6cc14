// Desktop services the owner-drawn controls need: the operating-system code and theme test
// that choose the menu look, the click sound, opening a link, and menu metrics.
#pragma once

#include <QFont>
#include <QString>

#include <cstdint>
#include <optional>

namespace ktr {

// What the version query of the desktop reports; absent when the query cannot be made.
struct OsVersion
{
    bool ntFamily = true;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// The operating-system code that selects frames, fonts and text measuring in the menus:
// 0 old non-NT, 1 NT other than below, 2 other non-NT, 3 non-NT 4.10, 4 non-NT 4.90,
// 5 NT 4.x, 6 NT 5.0, 7 NT 5.1.
int OsCodeFromVersion(bool ntFamily, std::optional<OsVersion> detail);
// The code of the running system, computed once (1 off Windows).
int GetOsCode();

// True when the desktop's current theme file name ends in the classic theme's file name,
// compared without regard to letter case.
bool IsClassicThemeName(const QString &themeFile);
// The theme test of the running desktop, run once and cached (not classic off Windows).
bool IsClassicTheme();

// The menu font and the height of a menu bar of the desktop.
QFont MenuFont();
int MenuBarHeight();

// Plays a sound file without waiting; silently does nothing where sounds are unavailable.
void PlaySoundFile(const QString &file);
// Opens a file or address with the desktop's handler for it.
bool OpenLink(const QString &link);

} // namespace ktr
