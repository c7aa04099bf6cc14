#include "app/main_window_buttons.h"

#include "app/control_ids.h"
#include "widgets/hover_button.h"

#include <QFontMetrics>

#include <algorithm>

namespace ktr {

namespace {

// Icons are 25 x 25 where the button leaves room for it beside its caption on one line; a
// narrower button gets a smaller icon rather than a caption broken in two.
int IconSide(const HoverButton &button)
{
    const int caption = QFontMetrics(button.font()).horizontalAdvance(button.text());
    return std::clamp(button.width() - caption - kIconCaptionSpacing, kSmallestIcon, kLargestIcon);
}

void bindOne(QWidget *page, HoverButton &button, int controlId, int iconId)
{
    button.takeOverControl(page, controlId);
    const int side = IconSide(button);
    button.SetIcons(iconId, side, side, HoverButton::kIdleNone, 0, 0);
    button.SetFlat(false, true);
    button.SetAlignment(0, true);
}

} // namespace

void BindMainWindowHoverButtons(QWidget *networkPage, HoverButton &first, HoverButton &second)
{
    bindOne(networkPage, second, ids::kConfigureNetwork, kConfigureIconId);
    bindOne(networkPage, first, ids::kLoadDefaults, kDefaultsIconId);
}

} // namespace ktr
