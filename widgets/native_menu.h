// The desktop's menu objects as handles: items with flags, commands or pop-up handles, texts
// and owner-draw data. QuMenu keeps its records beside these, as it would beside system menus.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace ktr {

using MenuHandle = std::uintptr_t; // 0: no menu

// Menu item flags.
inline constexpr std::uint32_t MF_STRING = 0x000;
inline constexpr std::uint32_t MF_GRAYED = 0x001;
inline constexpr std::uint32_t MF_DISABLED = 0x002;
inline constexpr std::uint32_t MF_CHECKED = 0x008;
inline constexpr std::uint32_t MF_POPUP = 0x010;
inline constexpr std::uint32_t MF_END = 0x080;
inline constexpr std::uint32_t MF_OWNERDRAW = 0x100;
inline constexpr std::uint32_t MF_BYPOSITION = 0x400;
inline constexpr std::uint32_t MF_SEPARATOR = 0x800;
// Radio-style check mark (the item's checked bitmap is the bullet).
inline constexpr std::uint32_t MFT_RADIOCHECK = 0x200;

struct NativeMenuItem
{
    std::uint32_t flags = 0;
    std::uintptr_t id = 0; // command, or the pop-up's handle
    QString text;
    void *data = nullptr; // owner-draw data
};

MenuHandle CreateMenu();
MenuHandle CreatePopupMenu();
// Destroys the menu and, as the desktop does, every pop-up menu inside it.
bool DestroyNativeMenu(MenuHandle menu);
bool IsMenu(MenuHandle menu);
bool AppendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t id, const QString &text,
                void *data = nullptr);
// Changes an item, found by position with MF_BYPOSITION, else by command.
bool ModifyMenu(MenuHandle menu, std::uint32_t item, std::uint32_t flags, std::uintptr_t id,
                const QString &text, void *data = nullptr);
int GetMenuItemCount(MenuHandle menu); // -1 for no menu
const NativeMenuItem *GetMenuItem(MenuHandle menu, int position);
QString GetMenuString(MenuHandle menu, int position);
// Number of menus alive, for leak checks.
std::size_t NativeMenuCount();

} // namespace ktr
