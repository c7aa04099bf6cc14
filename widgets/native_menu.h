// The desktop's menu objects as handles: items with flags, commands or pop-up handles, texts
// and owner-draw data. QuMenu keeps its records beside these, as it would beside system menus.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace ktr {

using MenuHandle = std::uintptr_t; // 0: no menu

// Menu item flags.
inline constexpr std::uint32_t kMfString = 0x000;
inline constexpr std::uint32_t kMfGrayed = 0x001;
inline constexpr std::uint32_t kMfDisabled = 0x002;
inline constexpr std::uint32_t kMfChecked = 0x008;
inline constexpr std::uint32_t kMfPopup = 0x010;
inline constexpr std::uint32_t kMfEnd = 0x080;
inline constexpr std::uint32_t kMfOwnerDraw = 0x100;
inline constexpr std::uint32_t kMfByPosition = 0x400;
inline constexpr std::uint32_t kMfSeparator = 0x800;
// Radio-style check mark (the item's checked bitmap is the bullet).
inline constexpr std::uint32_t kMftRadioCheck = 0x200;

struct NativeMenuItem
{
    std::uint32_t flags = 0;
    std::uintptr_t id = 0; // command, or the pop-up's handle
    QString text;
    void *data = nullptr; // owner-draw data
};

MenuHandle CreateNativeMenu();
MenuHandle CreateNativePopupMenu();
// Destroys the menu and, as the desktop does, every pop-up menu inside it.
bool DestroyNativeMenu(MenuHandle menu);
bool IsNativeMenu(MenuHandle menu);
bool AppendNativeMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t id, const QString &text,
                      void *data = nullptr);
// Changes an item, found by position with kMfByPosition, else by command.
bool ModifyNativeMenu(MenuHandle menu, std::uint32_t item, std::uint32_t flags, std::uintptr_t id,
                      const QString &text, void *data = nullptr);
int GetNativeMenuItemCount(MenuHandle menu); // -1 for no menu
const NativeMenuItem *GetNativeMenuItem(MenuHandle menu, int position);
QString GetNativeMenuString(MenuHandle menu, int position);
// Number of menus alive, for leak checks.
std::size_t NativeMenuCount();

} // namespace ktr
