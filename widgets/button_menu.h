// What a hover button needs of the menu it drops down. The owner-drawn menu (QuMenu, in its own
// library) provides it, so a program with hover buttons and no menus does not carry the menus.
#pragma once

#include <QPoint>

#include <functional>

class QWidget;

namespace ktr {

class QuMenu;

class ButtonMenu
{
public:
    virtual ~ButtonMenu() = default;
    // Lets go of the menu's pop-ups; called before the menu is replaced or its button goes.
    virtual void DestroyMenu() = 0;
    // Runs the menu's first pop-up at a screen position, handing it to beforeOpen first (when
    // set); the chosen command, or 0 when none was chosen or there is no pop-up.
    virtual int DropDown(QPoint globalPos, QWidget *owner,
                         const std::function<void(QuMenu &popup)> &beforeOpen) = 0;
};

} // namespace ktr
