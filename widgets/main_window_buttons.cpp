#include "widgets/main_window_buttons.h"

#include "widgets/hover_button.h"

namespace ktr {

namespace {

void bindOne(QWidget *page, HoverButton &button, int controlId, int iconId)
{
    button.takeOverControl(page, controlId);
    button.SetIcons(iconId, 25, 25, HoverButton::kIdleNone, 0, 0);
    button.SetFlat(false, true);
    button.SetAlignment(0, true);
}

} // namespace

void BindMainWindowHoverButtons(QWidget *networkPage, HoverButton &first, HoverButton &second)
{
    bindOne(networkPage, second, kConfigureButtonId, kConfigureIconId);
    bindOne(networkPage, first, kDefaultsButtonId, kDefaultsIconId);
}

} // namespace ktr
