// Binding of the main window's two hover buttons to the network page's buttons.
#pragma once

class QWidget;

namespace ktr {

class HoverButton;

// Icons of the network page's "参数配置" and "载入默认" buttons.
inline constexpr int kConfigureIconId = 133;
inline constexpr int kDefaultsIconId = 135;
// Icon sizes, and what the button's margins and the gap between icon and caption take.
inline constexpr int kLargestIcon = 25;
inline constexpr int kSmallestIcon = 12;
inline constexpr int kIconCaptionSpacing = 12;

// The second button takes over "参数配置" with icon 133, then the first takes over "载入默认" with
// icon 135; each gets its icon at up to 25 x 25 (smaller where the caption would not fit beside it
// on one line) without idle icon, the classic look and alignment 0, and
// is repainted. A button whose control is missing stays without a window.
void BindMainWindowHoverButtons(QWidget *networkPage, HoverButton &first, HoverButton &second);

} // namespace ktr
