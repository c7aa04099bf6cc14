#include "widgets/menu_popup.h"

#include "widgets/gdi.h"
#include "widgets/menu_item_painter.h"
#include "widgets/platform.h"

#include <QKeyEvent>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace ktr {

namespace {

const char *const kRecordProperty = "ktrMenuRecord";
const char *const kPositionProperty = "ktrMenuPosition";

const QAction *actionOf(const QStyleOption *option)
{
    return option ? qobject_cast<const QAction *>(option->styleObject) : nullptr;
}

} // namespace

MenuItemStyle::MenuItemStyle() = default;

QSize MenuItemStyle::sizeFromContents(ContentsType type, const QStyleOption *option,
                                      const QSize &size, const QWidget *widget) const
{
    const auto *popup = qobject_cast<const QuMenuPopup *>(widget);
    const QAction *action = actionOf(option);
    const MenuItemRecord *record = QuMenuPopup::recordOf(action);
    if (type != CT_MenuItem || !popup || !record)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    MenuMeasureItem measure;
    measure.itemId = record->command;
    measure.record = record;
    popup->quMenu().MeasureItem(measure);
    // Qt leaves out items of no width; a separator's zero width still spans the menu.
    return {std::max(measure.width, 1), measure.height};
}

void MenuItemStyle::drawControl(ControlElement element, const QStyleOption *option,
                                QPainter *painter, const QWidget *widget) const
{
    const auto *popup = qobject_cast<const QuMenuPopup *>(widget);
    const QAction *action = actionOf(option);
    const MenuItemRecord *record = QuMenuPopup::recordOf(action);
    if (element != CE_MenuItem || !popup || !record) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    MenuDrawItem item;
    item.rect = option->rect;
    item.selected = option->state & State_Selected;
    item.grayed = !(option->state & State_Enabled);
    item.checked = action->isChecked();
    item.menu = popup->quMenu().handle();
    item.itemId = record->command;
    item.record = record;
    item.paletteDevice = painter->device() && painter->device()->depth() <= 8;
    painter->save();
    painter->setFont(MenuFont());
    popup->quMenu().DrawItem(*painter, item);
    painter->restore();
}

void MenuItemStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                  QPainter *painter, const QWidget *widget) const
{
    if (element == PE_FrameMenu && qobject_cast<const QuMenuPopup *>(widget)) {
        // The pop-up's own frame: raised in the classic look, a thin line in the flat one.
        const Rect r = Rect::fromQRect(option->rect);
        if (MenuLook::current().flat) {
            FrameRect(*painter, r, GetSysColor(SysColor::BtnShadow));
            Rect inner = r;
            inner.deflate(1, 1);
            FrameRect(*painter, inner, GetSysColor(SysColor::Window));
            inner.deflate(1, 1);
            FrameRect(*painter, inner, GetSysColor(SysColor::Window));
        } else {
            DrawEdge(*painter, r, Edge::Raised, kBfRect);
            Rect inner = r;
            inner.deflate(2, 2);
            FrameRect(*painter, inner, GetSysColor(SysColor::Menu));
        }
        return;
    }
    if (element == PE_PanelMenu && qobject_cast<const QuMenuPopup *>(widget)) {
        painter->fillRect(option->rect, GetSysColor(MenuLook::current().flat ? SysColor::Window
                                                                             : SysColor::Menu));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

int MenuItemStyle::pixelMetric(PixelMetric metric, const QStyleOption *option,
                               const QWidget *widget) const
{
    if (qobject_cast<const QuMenuPopup *>(widget)) {
        switch (metric) {
        case PM_MenuPanelWidth:
            return 3;
        case PM_MenuHMargin:
        case PM_MenuVMargin:
        case PM_MenuDesktopFrameWidth:
            return 0;
        default:
            break;
        }
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QuMenuPopup::QuMenuPopup(QuMenu &menu, MenuItemStyle &style, QWidget *parent)
    : QMenu(parent)
    , menu_(menu)
{
    setStyle(&style);
    setFont(MenuFont());
    const int count = GetNativeMenuItemCount(menu.handle());
    for (int pos = 0; pos < count; ++pos) {
        const NativeMenuItem *item = GetNativeMenuItem(menu.handle(), pos);
        QAction *action = nullptr;
        if (item->flags & kMfPopup) {
            QuMenu *sub = QuMenu::FromHandlePermanent(item->id);
            if (sub) {
                auto *subPopup = new QuMenuPopup(*sub, style, this);
                subPopup->setTitle(item->text);
                action = addMenu(subPopup);
            } else {
                action = addAction(item->text);
            }
        } else if (item->flags & kMfSeparator) {
            action = addSeparator();
        } else {
            action = addAction(item->text.section(QLatin1Char('\t'), 0, 0));
            action->setData(QVariant::fromValue<qulonglong>(item->id));
            if (item->flags & kMfChecked) {
                action->setCheckable(true);
                action->setChecked(true);
            }
        }
        action->setEnabled(!(item->flags & (kMfGrayed | kMfDisabled | kMfSeparator)));
        action->setProperty(kPositionProperty, pos);
        if ((item->flags & kMfOwnerDraw) && item->data)
            action->setProperty(kRecordProperty,
                                QVariant::fromValue(reinterpret_cast<quintptr>(item->data)));
    }
}

const MenuItemRecord *QuMenuPopup::recordOf(const QAction *action)
{
    if (!action)
        return nullptr;
    const QVariant data = action->property(kRecordProperty);
    return data.isValid() ? reinterpret_cast<const MenuItemRecord *>(data.value<quintptr>())
                          : nullptr;
}

void QuMenuPopup::initStyleOption(QStyleOptionMenuItem *option, const QAction *action) const
{
    QMenu::initStyleOption(option, action);
    // The style finds the item's record through its action.
    option->styleObject = const_cast<QAction *>(action);
}

void QuMenuPopup::keyPressEvent(QKeyEvent *e)
{
    const QString typed = e->text();
    if (typed.size() == 1 && typed.at(0).isPrint()) {
        const std::uint32_t result =
            menu_.MenuCharSearch(typed.at(0).unicode(), kMfPopup, menu_.handle());
        const QList<QAction *> all = actions();
        const int pos = static_cast<int>(result & 0xFFFF);
        if ((result >> 16) == 2 && pos < all.size()) {
            setActiveAction(all.at(pos));
            QKeyEvent choose(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QMenu::keyPressEvent(&choose);
            return;
        }
    }
    QMenu::keyPressEvent(e);
}

int QuMenu::TrackPopupMenu(QPoint globalPos, QWidget *owner)
{
    MenuItemStyle style;
    QuMenuPopup popup(*this, style, owner);
    const QAction *chosen = popup.exec(globalPos);
    return chosen ? static_cast<int>(chosen->data().toULongLong()) : 0;
}

int QuMenu::DropDown(QPoint globalPos, QWidget *owner,
                     const std::function<void(QuMenu &popup)> &beforeOpen)
{
    QuMenu *popup = GetSubMenu(0);
    if (popup == nullptr)
        return 0;
    if (beforeOpen)
        beforeOpen(*popup);
    return popup->TrackPopupMenu(globalPos, owner);
}

} // namespace ktr
