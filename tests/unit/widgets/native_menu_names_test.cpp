// The menu records next to the desktop's own menu header: on Windows a source sees both, and
// windows.h defines its menu names as macros. They are defined here as windows.h defines them,
// before the header, so a clash fails this build on every system.
#define MF_STRING 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_CHECKED 0x00000008L
#define MF_POPUP 0x00000010L
#define MF_END 0x00000080L
#define MF_OWNERDRAW 0x00000100L
#define MF_BYPOSITION 0x00000400L
#define MF_SEPARATOR 0x00000800L
#define MFT_RADIOCHECK 0x00000200L
#define AppendMenu AppendMenuW
#define ModifyMenu ModifyMenuW
#define GetMenuString GetMenuStringW

#include "widgets/native_menu.h"

#include <gtest/gtest.h>

namespace ktr {
namespace {

TEST(NativeMenuNamesTest, FlagsHoldTheDesktopsValuesUnderTheirOwnNames)
{
    EXPECT_EQ(kMfString, static_cast<std::uint32_t>(MF_STRING));
    EXPECT_EQ(kMfGrayed, static_cast<std::uint32_t>(MF_GRAYED));
    EXPECT_EQ(kMfDisabled, static_cast<std::uint32_t>(MF_DISABLED));
    EXPECT_EQ(kMfChecked, static_cast<std::uint32_t>(MF_CHECKED));
    EXPECT_EQ(kMfPopup, static_cast<std::uint32_t>(MF_POPUP));
    EXPECT_EQ(kMfEnd, static_cast<std::uint32_t>(MF_END));
    EXPECT_EQ(kMfOwnerDraw, static_cast<std::uint32_t>(MF_OWNERDRAW));
    EXPECT_EQ(kMfByPosition, static_cast<std::uint32_t>(MF_BYPOSITION));
    EXPECT_EQ(kMfSeparator, static_cast<std::uint32_t>(MF_SEPARATOR));
    EXPECT_EQ(kMftRadioCheck, static_cast<std::uint32_t>(MFT_RADIOCHECK));

    const MenuHandle menu = CreateNativeMenu();
    ASSERT_TRUE(AppendNativeMenu(menu, kMfString, 7, "关于"));
    ASSERT_TRUE(ModifyNativeMenu(menu, 0, kMfByPosition | kMfGrayed, 7, "关于"));
    EXPECT_EQ(GetNativeMenuString(menu, 0), "关于");
    EXPECT_TRUE(DestroyNativeMenu(menu));
}

} // namespace
} // namespace ktr
