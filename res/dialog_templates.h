// Dialog templates as data: each window's caption, size, font and controls, with positions and
// sizes in dialog units, so that one builder makes every window of the tool.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace ktr {

enum class ControlKind {
    GroupBox,
    Label,
    Edit,
    PushButton,
    DefaultButton,
    ComboBox,
    ListView,
    TabControl,
    Icon, // text holds the icon resource number
};

// The control styles the tool's windows use.
enum ControlStyle : std::uint32_t {
    kStyleNone = 0,
    kReadOnly = 1u << 0,
    kMultiLine = 1u << 1,
    kUpperCase = 1u << 2, // typed letters become upper case
    kVScroll = 1u << 3,
    kAutoVScroll = 1u << 4,
    kAutoHScroll = 1u << 5,
    kBorder = 1u << 6,
    kNoPrefix = 1u << 7, // '&' is shown as is
    kSingleSelection = 1u << 8,
    kReportView = 1u << 9,
    kFixedWidthTabs = 1u << 10,
};

// Statics and group boxes that no code addresses.
inline constexpr int kNoControlId = -1;

struct ControlTemplate
{
    int id = kNoControlId;
    ControlKind kind = ControlKind::Label;
    std::string_view text;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::uint32_t style = kStyleNone;
    std::span<const std::string_view> items{}; // initial combo items
    // For controls without a static label right before them: what a screen reader calls them
    // (a column heading, or a name of their own).
    std::string_view label{};
    // Group or row the control belongs to where labels repeat ("服务器1", "1号通道").
    std::string_view qualifier{};
};

struct DialogTemplate
{
    int id = 0;
    std::string_view caption;
    int width = 0;
    int height = 0;
    std::string_view fontFace;
    int pointSize = 0;
    std::span<const ControlTemplate> controls;
};

// The templates of the About box (100), the main window (102) and the two pages (137, 138);
// nullptr for any other number.
const DialogTemplate *FindDialogTemplate(int id);

inline constexpr int kAboutTemplate = 100;
inline constexpr int kMainTemplate = 102;
inline constexpr int kNetworkPageTemplate = 137;
inline constexpr int kDevicePageTemplate = 138;

} // namespace ktr
