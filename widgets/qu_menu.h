// QuMenu: a menu whose items are owner-drawn with pictures in a classic or a flat look; it
// keeps one record per item, registers its pop-ups process-wide and shares one image list
// among all menus.
#pragma once

#include "widgets/button_menu.h"
#include "widgets/image_list.h"
#include "widgets/native_menu.h"

#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

class QWidget;

namespace ktr {

// Counts the item records alive, so tests can see that destroying a menu frees them all.
struct RecordLiveCount
{
    RecordLiveCount();
    RecordLiveCount(const RecordLiveCount &);
    RecordLiveCount &operator=(const RecordLiveCount &) = default;
    ~RecordLiveCount();
};

struct MenuItemRecord
{
    QString text; // a tab separates the accelerator text
    int ownImageIndex = -1;
    int sharedImageIndex = -1;
    int ownImageMarker = -1; // >= 0 when the picture is in the own image list
    std::uint32_t flags = 0;
    std::uintptr_t command = 0; // for a pop-up: its menu handle
    std::unique_ptr<ImageList> ownImages;
    RecordLiveCount live;
};

// What the owner-draw painting of one item receives.
struct MenuDrawItem
{
    QRect rect;
    bool selected = false;
    bool grayed = false;
    bool checked = false;
    MenuHandle menu = 0;
    std::uintptr_t itemId = 0;
    const MenuItemRecord *record = nullptr;
    bool paletteDevice = false; // the target shows a colour palette (256 colours)
};

struct MenuMeasureItem
{
    std::uintptr_t itemId = 0;
    const MenuItemRecord *record = nullptr;
    int width = 0;
    int height = 0;
};

// The look's switches, fixed in this product but kept in one place.
struct MenuStyleSettings
{
    int drawStyleThemedXp = 1; // flat look
    int drawStyleOther = 0;    // classic look
    bool classicSelectDisabled = true;
    bool flatSelectDisabled = false;
    bool wideSpacing = true;
};
const MenuStyleSettings &MenuStyle();

// Look decisions, from the operating-system code and the theme test.
bool IsThemedXp(int osCode, bool classicTheme);
bool UseFlatLook(int osCode, bool classicTheme);
bool IsThemedXp();
bool UseFlatLook();

class QuMenu : public ButtonMenu
{
public:
    QuMenu();
    ~QuMenu() override;
    QuMenu(const QuMenu &) = delete;
    QuMenu &operator=(const QuMenu &) = delete;

    MenuHandle handle() const { return handle_; }
    // Wraps a menu; the handle then finds this object through FromHandlePermanent.
    bool Attach(MenuHandle menu);
    MenuHandle Detach();
    static QuMenu *FromHandlePermanent(MenuHandle menu);

    virtual void DrawItem(QPainter &p, const MenuDrawItem &item);
    virtual void MeasureItem(MenuMeasureItem &item);
    // Loads the menu template ":/menus/<id>" or ":/menus/<name>".
    virtual bool LoadMenu(int id);
    virtual bool LoadMenu(const QString &name);
    bool LoadMenuTemplate(std::span<const std::uint8_t> bytes);
    void DestroyMenu() override;

    bool AppendItem(const QString &text, std::uint32_t flags, std::uintptr_t command,
                    int imageResource = -1);
    MenuItemRecord *ModifyItemByPosition(int position, std::uint32_t flags, std::uintptr_t command,
                                         const QString &text);
    QuMenu *GetSubMenu(int position) const;
    std::pair<QuMenu *, int> FindCommand(std::uint32_t command);
    // The text of the item with this command (kMfByPosition: at this position); nullopt when
    // there is none.
    [[nodiscard]] std::optional<QString> GetItemText(std::uint32_t id, std::uint32_t flags);
    void SynchronizeItems();
    void AlignAccelerators();
    // Result for a typed character: (position | 0x20000) to choose that item, else 0.
    std::uint32_t MenuCharSearch(std::uint32_t character, std::uint32_t menuFlags, MenuHandle menu);
    bool AddBitmap(ImageList &list, int resourceId);
    int AddSharedImage(const ImageList &source, int index, std::uint32_t command);

    static bool IsRegisteredMenu(MenuHandle menu);
    static bool IsRegisteredHandle(MenuHandle menu);
    static std::size_t RegisteredCount();
    static ImageList *SharedImages();
    static const std::vector<std::uint32_t> &SharedImageCommands();
    static std::size_t LiveRecordCount();

    // Shows the menu as a pop-up at a screen position and returns the chosen command, or 0.
    int TrackPopupMenu(QPoint globalPos, QWidget *owner);
    // A hover button's drop-down: the first pop-up, tracked at the position.
    int DropDown(QPoint globalPos, QWidget *owner,
                 const std::function<void(QuMenu &popup)> &beforeOpen) override;

    const std::vector<std::unique_ptr<MenuItemRecord>> &items() const { return items_; }
    int iconWidth() const { return iconWidth_; }
    int iconHeight() const { return iconHeight_; }
    void setIconSize(int width, int height);
    void setIconImages(bool icons) { iconImages_ = icons; }
    void setBitmapMaskColour(QRgb colour, bool use);
    void setEmbossedDisabled(bool embossed) { embossedDisabled_ = embossed; }
    bool embossedDisabled() const { return embossedDisabled_; }
    // Pictures for checked items: image 0 unselected, image 1 selected.
    void setCheckImages(std::shared_ptr<ImageList> list, int selectedIndex, int unselectedIndex);
    const ImageList *checkImages() const { return checkImages_.get(); }
    int selectedCheckIndex() const { return selectedCheck_; }
    int unselectedCheckIndex() const { return unselectedCheck_; }
    bool loadedFromResource() const { return loadedFromResource_; }

private:
    std::unique_ptr<MenuItemRecord> newRecord(const QString &text, std::uint32_t flags,
                                              std::uintptr_t command);
    void reapplyTopLevelAsStrings();
    void reapplyAfterAppend();
    std::unique_ptr<MenuItemRecord>
    takeRecord(bool (*match)(const MenuItemRecord &, std::uintptr_t), std::uintptr_t key);

    MenuHandle handle_ = 0;
    std::vector<std::unique_ptr<MenuItemRecord>> items_;
    std::vector<MenuHandle> subMenus_;
    std::vector<std::unique_ptr<QuMenu>> ownedSubMenus_; // pop-ups this menu created
    int iconWidth_ = 16;
    int iconHeight_ = 15;
    QRgb bitmapMaskColour_ = 0xFFC0C0C0;
    bool useBitmapMaskColour_ = false;
    bool embossedDisabled_ = false;
    std::shared_ptr<ImageList> checkImages_;
    int selectedCheck_ = -1;
    int unselectedCheck_ = -1;
    bool iconImages_ = false;
    bool loadedFromResource_ = false;
};

} // namespace ktr
