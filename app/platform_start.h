// The start of Qt's window system connection, watched: without a display (no X server or
// Wayland compositor to talk to, no platform plugin) ktr-setup says so in one line and exits
// with kExitNoDisplay, instead of Qt's messages and abort.
#pragma once

namespace ktr {

inline constexpr int kExitNoDisplay = 1;

// The one line said on standard error.
inline constexpr const char *kNoDisplayText =
    "ktr-setup: 无法打开窗口: 没有可用的图形显示 (请在桌面会话中运行, 或检查 DISPLAY 设置)\n";

// Held while the application object is made: the platform's start-up messages are held back,
// and a failure to start ends the program with the line above. Afterwards messages go where
// they went before.
class PlatformStartWatch
{
public:
    PlatformStartWatch();
    ~PlatformStartWatch();
    PlatformStartWatch(const PlatformStartWatch &) = delete;
    PlatformStartWatch &operator=(const PlatformStartWatch &) = delete;
};

} // namespace ktr
