// A QuMenu shown as a Qt pop-up: one action per menu item, measured and painted by the
// menu's own MeasureItem and DrawItem, and menu characters found by MenuCharSearch.
#pragma once

#include "widgets/qu_menu.h"

#include <QMenu>
#include <QProxyStyle>

namespace ktr {

// Routes the size and painting of owner-drawn menu items to their QuMenu.
class MenuItemStyle : public QProxyStyle
{
    Q_OBJECT

public:
    MenuItemStyle();

    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override;
};

class QuMenuPopup : public QMenu
{
    Q_OBJECT

public:
    // Builds the pop-up (and its sub-menus) from the menu's items; style must outlive it.
    QuMenuPopup(QuMenu &menu, MenuItemStyle &style, QWidget *parent = nullptr);

    QuMenu &quMenu() const { return menu_; }
    // The record of an owner-drawn item, or none for plain string items.
    static const MenuItemRecord *recordOf(const QAction *action);

protected:
    void initStyleOption(QStyleOptionMenuItem *option, const QAction *action) const override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    QuMenu &menu_;
};

} // namespace ktr
