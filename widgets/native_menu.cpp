#include "widgets/native_menu.h"

#include <map>
#include <vector>

namespace ktr {

namespace {

struct NativeMenu
{
    bool popup = false;
    std::vector<NativeMenuItem> items;
};

// Menus live on the window thread only, as the desktop's do.
std::map<MenuHandle, NativeMenu> &menus()
{
    static std::map<MenuHandle, NativeMenu> table;
    return table;
}

MenuHandle create(bool popup)
{
    static MenuHandle next = 0x1000;
    const MenuHandle handle = next++;
    menus()[handle].popup = popup;
    return handle;
}

NativeMenu *find(MenuHandle menu)
{
    auto it = menus().find(menu);
    return it == menus().end() ? nullptr : &it->second;
}

NativeMenuItem *findItem(MenuHandle menu, std::uint32_t item, std::uint32_t flags)
{
    NativeMenu *m = find(menu);
    if (!m)
        return nullptr;
    if (flags & kMfByPosition)
        return item < m->items.size() ? &m->items[item] : nullptr;
    for (NativeMenuItem &it : m->items) {
        if (!(it.flags & kMfPopup) && it.id == item)
            return &it;
    }
    return nullptr;
}

} // namespace

MenuHandle CreateNativeMenu()
{
    return create(false);
}

MenuHandle CreateNativePopupMenu()
{
    return create(true);
}

bool DestroyNativeMenu(MenuHandle menu)
{
    NativeMenu *m = find(menu);
    if (!m)
        return false;
    std::vector<MenuHandle> popups;
    for (const NativeMenuItem &it : m->items) {
        if (it.flags & kMfPopup)
            popups.push_back(it.id);
    }
    menus().erase(menu);
    for (MenuHandle popup : popups)
        DestroyNativeMenu(popup);
    return true;
}

bool IsNativeMenu(MenuHandle menu)
{
    return find(menu) != nullptr;
}

bool AppendNativeMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t id, const QString &text,
                      void *data)
{
    NativeMenu *m = find(menu);
    if (!m || ((flags & kMfPopup) && !IsNativeMenu(id)))
        return false;
    m->items.push_back({flags & ~kMfByPosition, id, text, data});
    return true;
}

bool ModifyNativeMenu(MenuHandle menu, std::uint32_t item, std::uint32_t flags, std::uintptr_t id,
                      const QString &text, void *data)
{
    NativeMenuItem *it = findItem(menu, item, flags);
    if (!it)
        return false;
    *it = {flags & ~kMfByPosition, id, text, data};
    return true;
}

int GetNativeMenuItemCount(MenuHandle menu)
{
    const NativeMenu *m = find(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

const NativeMenuItem *GetNativeMenuItem(MenuHandle menu, int position)
{
    if (position < 0)
        return nullptr;
    return findItem(menu, static_cast<std::uint32_t>(position), kMfByPosition);
}

QString GetNativeMenuString(MenuHandle menu, int position)
{
    const NativeMenuItem *it = GetNativeMenuItem(menu, position);
    return it ? it->text : QString();
}

std::size_t NativeMenuCount()
{
    return menus().size();
}

} // namespace ktr
