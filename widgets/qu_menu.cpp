#include "widgets/qu_menu.h"

#include "widgets/icon_resources.h"
#include "widgets/menu_item_painter.h"
#include "widgets/menu_template.h"
#include "widgets/platform.h"

#include <QFile>
#include <QFontMetrics>

#include <algorithm>

namespace ktr {

namespace {

std::size_t &recordCount()
{
    static std::size_t count = 0;
    return count;
}

// Process-wide menu state: the pop-up registry, the shared image list with the command of
// every picture, and the handle-to-object map. It lives until the program ends.
struct MenuGlobals
{
    std::vector<MenuHandle> registry;
    std::unique_ptr<ImageList> sharedImages;
    std::vector<std::uint32_t> sharedCommands;
    std::vector<std::pair<MenuHandle, QuMenu *>> permanent;
};

MenuGlobals &globals()
{
    static MenuGlobals g;
    return g;
}

void unregister(MenuHandle menu)
{
    auto &r = globals().registry;
    r.erase(std::remove(r.begin(), r.end(), menu), r.end());
}

int sharedIndexOf(std::uint32_t command)
{
    const auto &c = globals().sharedCommands;
    const auto it = std::find(c.begin(), c.end(), command);
    return it == c.end() ? -1 : static_cast<int>(it - c.begin());
}

bool wideFlat()
{
    const MenuLook look = MenuLook::current();
    return look.flat && look.wideSpacing;
}

} // namespace

RecordLiveCount::RecordLiveCount()
{
    ++recordCount();
}

RecordLiveCount::RecordLiveCount(const RecordLiveCount &)
{
    ++recordCount();
}

RecordLiveCount::~RecordLiveCount()
{
    --recordCount();
}

const MenuStyleSettings &MenuStyle()
{
    static const MenuStyleSettings settings;
    return settings;
}

bool IsThemedXp(int osCode, bool classicTheme)
{
    return osCode == 7 && !classicTheme;
}

bool UseFlatLook(int osCode, bool classicTheme)
{
    const int style = IsThemedXp(osCode, classicTheme) ? MenuStyle().drawStyleThemedXp
                                                       : MenuStyle().drawStyleOther;
    return style == 1;
}

bool IsThemedXp()
{
    return IsThemedXp(GetOsCode(), IsClassicTheme());
}

bool UseFlatLook()
{
    return UseFlatLook(GetOsCode(), IsClassicTheme());
}

QuMenu::QuMenu() = default;

QuMenu::~QuMenu()
{
    DestroyMenu();
}

bool QuMenu::Attach(MenuHandle menu)
{
    if (handle_ || !IsNativeMenu(menu))
        return false;
    handle_ = menu;
    globals().permanent.emplace_back(menu, this);
    return true;
}

MenuHandle QuMenu::Detach()
{
    auto &p = globals().permanent;
    p.erase(std::remove_if(p.begin(), p.end(), [this](const auto &e) { return e.second == this; }),
            p.end());
    return std::exchange(handle_, 0);
}

QuMenu *QuMenu::FromHandlePermanent(MenuHandle menu)
{
    for (const auto &[handle, object] : globals().permanent) {
        if (handle == menu)
            return object;
    }
    return nullptr;
}

std::size_t QuMenu::RegisteredCount()
{
    return globals().registry.size();
}

ImageList *QuMenu::SharedImages()
{
    return globals().sharedImages.get();
}

const std::vector<std::uint32_t> &QuMenu::SharedImageCommands()
{
    return globals().sharedCommands;
}

std::size_t QuMenu::LiveRecordCount()
{
    return recordCount();
}

bool QuMenu::IsRegisteredMenu(MenuHandle menu)
{
    const auto &r = globals().registry;
    return menu != 0 && std::find(r.begin(), r.end(), menu) != r.end();
}

bool QuMenu::IsRegisteredHandle(MenuHandle menu)
{
    return IsRegisteredMenu(menu);
}

void QuMenu::setIconSize(int width, int height)
{
    iconWidth_ = width;
    iconHeight_ = height;
}

void QuMenu::setBitmapMaskColour(QRgb colour, bool use)
{
    bitmapMaskColour_ = colour;
    useBitmapMaskColour_ = use;
}

void QuMenu::setCheckImages(std::shared_ptr<ImageList> list, int selectedIndex, int unselectedIndex)
{
    checkImages_ = std::move(list);
    selectedCheck_ = selectedIndex;
    unselectedCheck_ = unselectedIndex;
}

std::unique_ptr<MenuItemRecord> QuMenu::newRecord(const QString &text, std::uint32_t flags,
                                                  std::uintptr_t command)
{
    auto record = std::make_unique<MenuItemRecord>();
    record->text = text;
    record->flags = flags;
    record->command = command;
    return record;
}

bool QuMenu::AppendItem(const QString &text, std::uint32_t flags, std::uintptr_t command,
                        int imageResource)
{
    if (command == 0)
        flags = (flags & kMfByPosition) ? 0xD00 : (kMfSeparator | kMfOwnerDraw);
    else
        flags |= kMfOwnerDraw;
    if (flags & kMfPopup) {
        globals().registry.push_back(command);
        subMenus_.push_back(command);
    }
    auto record = newRecord(text, flags, command);

    if (imageResource == -1) {
        record->sharedImageIndex = sharedIndexOf(static_cast<std::uint32_t>(command));
    } else if (const ToolbarResource *toolbar = FindToolbarResource(imageResource)) {
        const auto &commands = toolbar->commands;
        const auto it = std::find(commands.begin(), commands.end(), command);
        const int found = it == commands.end() ? -1 : static_cast<int>(it - commands.begin());
        const int index = found > 0 ? found : 0;
        ImageList temporary(iconWidth_, iconHeight_);
        if (temporary.AddMasked(toolbar->strip, useBitmapMaskColour_
                                                    ? bitmapMaskColour_
                                                    : GetSysColor(SysColor::BtnFace).rgb()))
            record->sharedImageIndex =
                AddSharedImage(temporary, index, static_cast<std::uint32_t>(command));
    }

    MenuItemRecord *data = record.get();
    items_.push_back(std::move(record));
    const bool ok = ktr::AppendNativeMenu(handle_, flags, command, text, data);
    if (!ok) {
        // The menu refused the item: no record and no registration without it.
        items_.pop_back();
        if (flags & kMfPopup) {
            unregister(command);
            subMenus_.pop_back();
        }
        return false;
    }
    if (loadedFromResource_)
        reapplyAfterAppend();
    return ok;
}

void QuMenu::reapplyAfterAppend()
{
    if (items_.empty())
        return;
    const int count = GetNativeMenuItemCount(handle_);
    int offset = -1;
    for (int pos = 0; pos < count && offset < 0; ++pos) {
        if (GetNativeMenuString(handle_, pos) == items_.front()->text)
            offset = pos;
    }
    if (offset < 0)
        return;
    for (int pos = offset; pos < count; ++pos) {
        const NativeMenuItem *it = GetNativeMenuItem(handle_, pos);
        if (it && (it->flags & kMfPopup))
            ktr::ModifyNativeMenu(handle_, static_cast<std::uint32_t>(pos),
                                  kMfByPosition | kMfPopup | kMfString, it->id, QString(it->text));
    }
}

MenuItemRecord *QuMenu::ModifyItemByPosition(int position, std::uint32_t flags,
                                             std::uintptr_t command, const QString &text)
{
    if (position < 0)
        return nullptr;
    auto record = newRecord(text, flags, command);
    MenuItemRecord *data = record.get();
    if (!ktr::ModifyNativeMenu(handle_, static_cast<std::uint32_t>(position), flags, command, text,
                               (flags & kMfOwnerDraw) ? data : nullptr))
        return nullptr;
    // The record takes the place of the one at that position; the old one is freed.
    const auto index = static_cast<std::size_t>(position);
    if (index < items_.size())
        items_[index] = std::move(record);
    else
        items_.push_back(std::move(record));
    return data;
}

void QuMenu::DestroyMenu()
{
    unregister(handle_);
    for (MenuHandle sub : subMenus_) {
        unregister(sub);
        QuMenu *wrapper = FromHandlePermanent(sub);
        if (!wrapper)
            continue;
        // Pop-ups this menu made are deleted with it; a wrapper owned elsewhere only loses
        // its menu, because its handle is about to be destroyed with ours.
        auto owned = std::find_if(ownedSubMenus_.begin(), ownedSubMenus_.end(),
                                  [wrapper](const auto &m) { return m.get() == wrapper; });
        if (owned != ownedSubMenus_.end())
            ownedSubMenus_.erase(owned);
        else
            wrapper->DestroyMenu();
    }
    subMenus_.clear();
    ownedSubMenus_.clear();
    items_.clear();
    checkImages_.reset();
    loadedFromResource_ = false;
    if (handle_) {
        const MenuHandle menu = Detach();
        DestroyNativeMenu(menu);
    }
}

bool QuMenu::LoadMenu(int id)
{
    return LoadMenu(QString::number(static_cast<std::uint16_t>(id)));
}

bool QuMenu::LoadMenu(const QString &name)
{
    QFile resource(QStringLiteral(":/menus/") + name);
    if (!resource.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = resource.readAll();
    return LoadMenuTemplate(std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())));
}

bool QuMenu::LoadMenuTemplate(std::span<const std::uint8_t> bytes)
{
    DestroyMenu();
    if (!Attach(ktr::CreateNativeMenu()))
        return false;

    MenuTemplateReader reader(bytes);
    std::vector<QuMenu *> menus{this};
    std::vector<bool> ended{false};
    while (!menus.empty()) {
        const auto item = reader.next();
        if (!item) {
            // A template cut short: nothing half-built is kept.
            DestroyMenu();
            return false;
        }
        QuMenu *top = menus.back();
        if (item->flags & kMfPopup) {
            if (item->end)
                ended.back() = true;
            auto popup = std::make_unique<QuMenu>();
            popup->setCheckImages(checkImages_, selectedCheck_, unselectedCheck_);
            popup->Attach(ktr::CreateNativePopupMenu());
            QuMenu *raw = popup.get();
            top->ownedSubMenus_.push_back(std::move(popup));
            top->AppendItem(item->text, item->flags, raw->handle(), -1);
            menus.push_back(raw);
            ended.push_back(false);
        } else {
            top->AppendItem(item->text, item->flags, item->command, -1);
            if (item->end)
                ended.back() = true;
            while (!menus.empty() && ended.back()) {
                menus.back()->AlignAccelerators();
                menus.pop_back();
                ended.pop_back();
            }
        }
    }
    reapplyTopLevelAsStrings();
    loadedFromResource_ = true;
    return true;
}

void QuMenu::reapplyTopLevelAsStrings()
{
    for (std::size_t i = 0; i < items_.size(); ++i) {
        MenuItemRecord &record = *items_[i];
        const auto pos = static_cast<std::uint32_t>(i);
        if (record.flags & kMfPopup) {
            ktr::ModifyNativeMenu(handle_, pos, kMfByPosition | kMfPopup | kMfString,
                                  record.command, record.text);
            record.flags = kMfByPosition | kMfPopup | kMfString;
        } else {
            ktr::ModifyNativeMenu(handle_, pos, kMfByPosition, record.command, record.text);
            record.flags = kMfByPosition;
        }
    }
}

QuMenu *QuMenu::GetSubMenu(int position) const
{
    const NativeMenuItem *it = GetNativeMenuItem(handle_, position);
    if (!it || !(it->flags & kMfPopup))
        return nullptr;
    return FromHandlePermanent(it->id);
}

std::pair<QuMenu *, int> QuMenu::FindCommand(std::uint32_t command)
{
    const int count = GetNativeMenuItemCount(handle_);
    for (int pos = 0; pos < count; ++pos) {
        const NativeMenuItem *it = GetNativeMenuItem(handle_, pos);
        if (it->flags & kMfPopup) {
            if (QuMenu *sub = FromHandlePermanent(it->id)) {
                const auto found = sub->FindCommand(command);
                if (found.first)
                    return found;
            }
        } else if (!(it->flags & kMfSeparator) && it->id == command) {
            return {this, pos};
        }
    }
    return {nullptr, -1};
}

std::optional<QString> QuMenu::GetItemText(std::uint32_t id, std::uint32_t flags)
{
    if (flags & kMfByPosition) {
        if (id >= items_.size())
            return std::nullopt;
        return items_[id]->text;
    }
    const auto [menu, pos] = FindCommand(id);
    if (!menu)
        return std::nullopt;
    return menu->GetItemText(static_cast<std::uint32_t>(pos), kMfByPosition);
}

std::unique_ptr<MenuItemRecord>
QuMenu::takeRecord(bool (*match)(const MenuItemRecord &, std::uintptr_t), std::uintptr_t key)
{
    for (auto &record : items_) {
        if (record && match(*record, key))
            return std::move(record);
    }
    return nullptr;
}

void QuMenu::SynchronizeItems()
{
    const int count = GetNativeMenuItemCount(handle_);
    std::vector<std::unique_ptr<MenuItemRecord>> collected;
    for (int pos = 0; pos < count; ++pos) {
        const NativeMenuItem item = *GetNativeMenuItem(handle_, pos);
        const auto position = static_cast<std::uint32_t>(pos);
        std::unique_ptr<MenuItemRecord> record;
        std::uint32_t flags = item.flags;
        if (item.flags & kMfPopup) {
            record =
                takeRecord([](const MenuItemRecord &r,
                              std::uintptr_t h) { return (r.flags & kMfPopup) && r.command == h; },
                           item.id);
            flags |= kMfPopup | kMfOwnerDraw;
        } else if (item.flags & kMfSeparator) {
            record = takeRecord(
                [](const MenuItemRecord &r, std::uintptr_t data) {
                    return reinterpret_cast<std::uintptr_t>(&r) == data;
                },
                reinterpret_cast<std::uintptr_t>(item.data));
            flags |= kMfOwnerDraw;
        } else {
            record = takeRecord(
                [](const MenuItemRecord &r, std::uintptr_t command) {
                    return !(r.flags & (kMfPopup | kMfSeparator)) && r.command == command;
                },
                item.id);
            if (record)
                record->text = item.text;
            flags |= kMfOwnerDraw;
        }
        if (!record)
            record = newRecord((item.flags & kMfSeparator) ? QString() : item.text, flags, item.id);
        record->flags = flags;
        ktr::ModifyNativeMenu(handle_, position, flags | kMfByPosition, item.id, item.text,
                              record.get());
        collected.push_back(std::move(record));
    }
    items_ = std::move(collected);
}

namespace {

// Pads the label with spaces up to the width. A label the font shapes oddly (a control
// character of zero advance) may not widen with a space: padding stops there, so no template
// can hang the menu.
QString PadToWidth(const QFontMetrics &fm, QString label, int width)
{
    int advance = fm.horizontalAdvance(label);
    while (advance < width) {
        label += QLatin1Char(' ');
        const int wider = fm.horizontalAdvance(label);
        if (wider <= advance)
            break;
        advance = wider;
    }
    return label;
}

} // namespace

void QuMenu::AlignAccelerators()
{
    const QFontMetrics fm(MenuFont());
    int widest = 0;
    for (const auto &record : items_) {
        const QString label = record->text.section(QLatin1Char('\t'), 0, 0);
        widest = std::max(widest, fm.horizontalAdvance(label + QLatin1Char(' ')));
    }
    for (auto &record : items_) {
        const qsizetype tab = record->text.indexOf(QLatin1Char('\t'));
        if (tab < 0)
            continue;
        record->text = PadToWidth(fm, record->text.left(tab), widest) + record->text.mid(tab);
    }
}

std::uint32_t QuMenu::MenuCharSearch(std::uint32_t character, std::uint32_t menuFlags,
                                     MenuHandle menu)
{
    if (menu == 0 || !(menuFlags & kMfPopup))
        return 0;
    const QString key = (QStringLiteral("&") + QChar(static_cast<char16_t>(character))).toLower();
    if (GetNativeMenuItemCount(handle_) != static_cast<int>(items_.size()))
        SynchronizeItems();
    for (std::size_t pos = 0; pos < items_.size(); ++pos) {
        if (items_[pos]->text.toLower().contains(key))
            return (static_cast<std::uint32_t>(pos) & 0xFFFF) | 0x20000;
    }
    return 0;
}

bool QuMenu::AddBitmap(ImageList &list, int resourceId)
{
    if (iconImages_) {
        // The identifier names an icon resource.
        const QImage icon = LoadIconResource(resourceId, QSize(list.width(), list.height()));
        return list.Add(icon).has_value();
    }
    const QImage bitmap(QStringLiteral(":/bitmaps/%1.png").arg(resourceId));
    if (bitmap.isNull())
        return false;
    const QRgb mask =
        useBitmapMaskColour_ ? bitmapMaskColour_ : GetSysColor(SysColor::BtnFace).rgb();
    if (!list.AddMasked(bitmap, mask))
        return false;
    if (wideFlat()) {
        // Copies of a picture the list holds: neither is null.
        const QImage first = PictureToBitmap(list, 0, list.width(), list.height());
        (void)list.Add(FadedCopy(first));
        (void)list.Add(ShadowCopy(first));
    }
    return true;
}

int QuMenu::AddSharedImage(const ImageList &source, int index, std::uint32_t command)
{
    auto &g = globals();
    if (!g.sharedImages)
        g.sharedImages = std::make_unique<ImageList>(iconWidth_, iconHeight_);
    const QImage picture = source.GetIcon(index);
    if (picture.isNull())
        return -1;
    const bool copies = wideFlat();
    QImage faded, shadow;
    if (copies) {
        const QImage onFace = PictureToBitmap(source, index, iconWidth_, iconHeight_);
        faded = FadedCopy(onFace);
        shadow = ShadowCopy(onFace);
    }
    const int existing = sharedIndexOf(command);
    if (existing >= 0) {
        g.sharedImages->Replace(existing, picture);
        const auto next = static_cast<std::size_t>(existing) + 2;
        if (copies && next < g.sharedCommands.size() && g.sharedCommands[next - 1] == command &&
            g.sharedCommands[next] == command) {
            g.sharedImages->Replace(existing + 1, faded);
            g.sharedImages->Replace(existing + 2, shadow);
        }
        return existing;
    }
    // The picture is not null (checked above), nor are its copies: each of them is added.
    const int added = g.sharedImages->count();
    (void)g.sharedImages->Add(picture);
    g.sharedCommands.push_back(command);
    if (copies) {
        (void)g.sharedImages->Add(faded);
        g.sharedCommands.push_back(command);
        (void)g.sharedImages->Add(shadow);
        g.sharedCommands.push_back(command);
    }
    return added;
}

void QuMenu::MeasureItem(MenuMeasureItem &item)
{
    const MenuLook look = MenuLook::current();
    const bool flat = look.flat;
    const int gap = (flat && look.wideSpacing) ? 7 : 4;
    const MenuItemRecord *record = item.record;
    if (!record || (record->flags & kMfSeparator)) {
        item.width = 0;
        item.height = std::max(MenuBarHeight() / 2, (iconHeight_ + gap) / 2);
        return;
    }
    const int osCode = look.osCode;
    // The desktop's own menu font is used for measuring only where it selects it.
    const QFontMetrics fm(osCode >= 2 ? MenuFont() : QFont());
    int textWidth = 0;
    if (osCode != 0) {
        textWidth = fm.horizontalAdvance(record->text);
    } else {
        textWidth = fm.boundingRect(record->text).width() + 3;
        if (!record->text.isEmpty())
            textWidth += 3 * (textWidth / static_cast<int>(record->text.size()));
    }
    item.width = flat ? textWidth + iconWidth_ + gap + 8 : textWidth + 2 * iconWidth_ + 1;
    item.height = std::max(MenuBarHeight(), iconHeight_ + gap);
}

void QuMenu::DrawItem(QPainter &p, const MenuDrawItem &item)
{
    PaintMenuItem(*this, p, item, MenuLook::current());
}

} // namespace ktr
