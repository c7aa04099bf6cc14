// QuMenu records, registry, templates, searching and measuring.
#include "test_support.h"

#include "widgets/menu_template.h"
#include "widgets/platform.h"
#include "widgets/qu_menu.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <vector>

using namespace ktr;

namespace {

struct TemplateItem
{
    std::uint16_t flags;
    std::uint16_t command;
    const char16_t *text;
};

std::vector<std::uint8_t> BuildTemplate(std::initializer_list<TemplateItem> items)
{
    std::vector<std::uint8_t> bytes{0, 0, 0, 0};
    auto word = [&](std::uint16_t w) {
        bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    };
    for (const TemplateItem &item : items) {
        word(item.flags);
        if (!(item.flags & kMfPopup))
            word(item.command);
        for (const char16_t *c = item.text; *c; ++c)
            word(*c);
        word(0);
    }
    return bytes;
}

// &File { &Open, separator, E&xit }, &Help (last, a pop-up) { &About }
std::vector<std::uint8_t> FileHelpTemplate()
{
    return BuildTemplate({
        {kMfPopup, 0, u"&File"},
        {kMfString, 100, u"&Open\tCtrl+O"},
        {kMfSeparator, 0, u""},
        {kMfEnd, 101, u"E&xit"},
        {kMfPopup | kMfEnd, 0, u"&Help"},
        {kMfEnd, 200, u"&About"},
    });
}

struct Counts
{
    std::size_t menus = NativeMenuCount();
    std::size_t registered = QuMenu::RegisteredCount();
    std::size_t records = QuMenu::LiveRecordCount();
    bool operator==(const Counts &) const = default;
};

} // namespace

TEST(QuMenuTemplate, LastTopLevelPopupEndsAtItsLastItem)
{
    QuMenu menu;
    auto bytes = FileHelpTemplate();
    // Bytes after the template's end are not read as items.
    bytes.insert(bytes.end(), {0x00, 0x00, 0x63, 0x00, 'Z', 0, 0, 0});
    ASSERT_TRUE(menu.LoadMenuTemplate(bytes));
    ASSERT_EQ(GetNativeMenuItemCount(menu.handle()), 2);
    QuMenu *file = menu.GetSubMenu(0);
    QuMenu *help = menu.GetSubMenu(1);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(GetNativeMenuItemCount(file->handle()), 3);
    EXPECT_EQ(GetNativeMenuItemCount(help->handle()), 1);
    EXPECT_TRUE(QuMenu::IsRegisteredMenu(help->handle()));

    // Top level stays plain strings; the pop-ups' items are owner-drawn.
    EXPECT_EQ(GetNativeMenuItem(menu.handle(), 0)->flags, kMfPopup);
    EXPECT_EQ(menu.items()[0]->flags, kMfByPosition | kMfPopup | kMfString);
    EXPECT_TRUE(GetNativeMenuItem(file->handle(), 0)->flags & kMfOwnerDraw);
    EXPECT_EQ(GetNativeMenuItem(file->handle(), 1)->flags, kMfSeparator | kMfOwnerDraw);
    EXPECT_EQ(GetNativeMenuItem(file->handle(), 2)->flags & kMfEnd, 0u);

    const auto [found, pos] = menu.FindCommand(200);
    EXPECT_EQ(found, help);
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(menu.FindCommand(999).second, -1);
    EXPECT_EQ(menu.GetItemText(101, 0), QStringLiteral("E&xit"));
    EXPECT_EQ(menu.GetItemText(1, kMfByPosition), QStringLiteral("&Help"));
    EXPECT_FALSE(menu.GetItemText(2, kMfByPosition));
    EXPECT_FALSE(menu.GetItemText(999, 0));
}

TEST(QuMenuTemplate, TruncatedTemplateFailsAndKeepsNothing)
{
    const Counts before;
    const auto full = FileHelpTemplate();
    for (std::size_t cut : {std::size_t{2}, std::size_t{9}, full.size() - 3, full.size() - 1}) {
        QuMenu menu;
        EXPECT_FALSE(menu.LoadMenuTemplate(std::span(full.data(), cut))) << cut;
        EXPECT_EQ(menu.handle(), 0u);
        EXPECT_EQ(Counts{}, before) << cut;
    }
    QuMenu missing;
    EXPECT_FALSE(missing.LoadMenu(4711));
}

TEST(QuMenuRegistry, DestroyMenuLeavesNothingBehind)
{
    const Counts before;
    {
        QuMenu menu;
        ASSERT_TRUE(menu.LoadMenuTemplate(FileHelpTemplate()));
        menu.GetSubMenu(0)->AppendItem(QStringLiteral("&New"), kMfString, 102);
        EXPECT_EQ(QuMenu::RegisteredCount(), before.registered + 2);
        EXPECT_GT(QuMenu::LiveRecordCount(), before.records);
        menu.DestroyMenu();
        EXPECT_EQ(Counts{}, before);
        // A second load into the same object, freed by the destructor.
        ASSERT_TRUE(menu.LoadMenuTemplate(FileHelpTemplate()));
    }
    EXPECT_EQ(Counts{}, before);

    // A pop-up wrapper owned by its creator loses its menu but is not deleted by the parent.
    QuMenu popup;
    popup.Attach(CreateNativePopupMenu());
    popup.AppendItem(QStringLiteral("&Item"), kMfString, 5);
    {
        QuMenu parent;
        parent.Attach(CreateNativeMenu());
        parent.AppendItem(QStringLiteral("&Sub"), kMfPopup, popup.handle());
        EXPECT_TRUE(QuMenu::IsRegisteredHandle(popup.handle()));
    }
    EXPECT_EQ(popup.handle(), 0u);
    EXPECT_TRUE(popup.items().empty());
    EXPECT_EQ(Counts{}, before);
}

TEST(QuMenuItems, SeparatorsAndAppendFailures)
{
    QuMenu menu;
    menu.Attach(CreateNativePopupMenu());
    ASSERT_TRUE(menu.AppendItem(QString(), kMfString, 0));
    ASSERT_TRUE(menu.AppendItem(QString(), kMfByPosition, 0));
    EXPECT_EQ(menu.items()[0]->flags, 0x900u);
    EXPECT_EQ(menu.items()[1]->flags, 0xD00u);
    EXPECT_EQ(GetNativeMenuItem(menu.handle(), 0)->data, menu.items()[0].get());

    // A pop-up that is no menu is refused, and nothing of it is kept.
    const std::size_t registered = QuMenu::RegisteredCount();
    EXPECT_FALSE(menu.AppendItem(QStringLiteral("x"), kMfPopup, 0xDEAD));
    EXPECT_EQ(menu.items().size(), 2u);
    EXPECT_EQ(QuMenu::RegisteredCount(), registered);
}

TEST(QuMenuSearch, MenuCharacterFindsMarkedItem)
{
    QuMenu menu;
    menu.Attach(CreateNativePopupMenu());
    menu.AppendItem(QStringLiteral("&File"), kMfString, 10);
    menu.AppendItem(QStringLiteral("&Edit"), kMfString, 11);
    const MenuHandle h = menu.handle();
    EXPECT_EQ(menu.MenuCharSearch('f', kMfPopup, h), 0x20000u);
    EXPECT_EQ(menu.MenuCharSearch('F', kMfPopup, h), 0x20000u);
    EXPECT_EQ(menu.MenuCharSearch('e', kMfPopup, h), 0x20001u);
    EXPECT_EQ(menu.MenuCharSearch('i', kMfPopup, h), 0u); // in the text, but not marked
    EXPECT_EQ(menu.MenuCharSearch('f', 0, h), 0u);
    EXPECT_EQ(menu.MenuCharSearch('f', kMfPopup, 0), 0u);

    // An item added behind the records' back is picked up before searching.
    ASSERT_TRUE(AppendNativeMenu(h, kMfString, 12, QStringLiteral("&Zoom")));
    EXPECT_EQ(menu.MenuCharSearch('z', kMfPopup, h), 0x20002u);
    ASSERT_EQ(menu.items().size(), 3u);
    EXPECT_EQ(menu.items()[2]->text, QStringLiteral("&Zoom"));
    EXPECT_EQ(GetNativeMenuItem(h, 2)->data, menu.items()[2].get());
    EXPECT_TRUE(GetNativeMenuItem(h, 2)->flags & kMfOwnerDraw);
    EXPECT_EQ(menu.items()[0]->command, 10u); // kept records stay in place
}

TEST(QuMenuMeasure, SeparatorAtLeastHalfMenuBarAndItemsAtLeastMenuBar)
{
    QuMenu menu;
    menu.Attach(CreateNativePopupMenu());
    menu.AppendItem(QString(), kMfString, 0);
    menu.AppendItem(QStringLiteral("&Open"), kMfString, 1);
    MenuMeasureItem separator{0, menu.items()[0].get(), -1, -1};
    menu.MeasureItem(separator);
    EXPECT_EQ(separator.width, 0);
    EXPECT_GE(separator.height, MenuBarHeight() / 2);
    EXPECT_GE(separator.height, (15 + 4) / 2);

    MenuMeasureItem item{1, menu.items()[1].get(), -1, -1};
    menu.MeasureItem(item);
    EXPECT_GE(item.height, MenuBarHeight());
    const int text = QFontMetrics(QFont()).horizontalAdvance(QStringLiteral("&Open"));
    EXPECT_EQ(item.width, text + 2 * 16 + 1); // classic look on this desktop

    menu.setIconSize(16, 40);
    menu.MeasureItem(item);
    EXPECT_EQ(item.height, 44);
    menu.MeasureItem(separator);
    EXPECT_EQ(separator.height, std::max(MenuBarHeight() / 2, 22));
}

TEST(QuMenuItems, AcceleratorsLineUp)
{
    QuMenu menu;
    menu.Attach(CreateNativePopupMenu());
    menu.AppendItem(QStringLiteral("&A\tCtrl+A"), kMfString, 1);
    menu.AppendItem(QStringLiteral("A much longer label\tF2"), kMfString, 2);
    menu.AppendItem(QStringLiteral("No accelerator"), kMfString, 3);
    menu.AlignAccelerators();
    const QFontMetrics fm(MenuFont());
    const int widest = fm.horizontalAdvance(QStringLiteral("A much longer label "));
    for (const auto &record : menu.items()) {
        if (!record->text.contains(QLatin1Char('\t')))
            continue;
        EXPECT_GE(fm.horizontalAdvance(record->text.section(QLatin1Char('\t'), 0, 0)), widest);
    }
    EXPECT_TRUE(menu.items()[0]->text.endsWith(QStringLiteral("\tCtrl+A")));
    EXPECT_EQ(menu.items()[2]->text, QStringLiteral("No accelerator"));
}

TEST(QuMenuItems, AcceleratorsLineUpBehindALabelOfZeroAdvance)
{
    // A control character of zero advance before the tab once made the padding loop forever;
    // the test ends (and passes) only when padding stops by itself.
    QuMenu menu;
    menu.Attach(CreateNativePopupMenu());
    menu.AppendItem(QString(QChar(0x009C)) + QStringLiteral("\tCtrl+Q"), kMfString, 1);
    menu.AppendItem(QString(QChar(0x009C)).repeated(3) + QStringLiteral("\tF3"), kMfString, 2);
    menu.AppendItem(QStringLiteral("A much longer label\tF2"), kMfString, 3);
    menu.AlignAccelerators();
    EXPECT_TRUE(menu.items()[0]->text.endsWith(QStringLiteral("\tCtrl+Q")));
    EXPECT_TRUE(menu.items()[1]->text.endsWith(QStringLiteral("\tF3")));
    EXPECT_LT(menu.items()[0]->text.size(), 200);
}

TEST(QuMenuImages, ToolbarPictureGoesToSharedListOncePerCommand)
{
    QImage strip(32, 15, QImage::Format_RGB32);
    strip.fill(Qt::red);
    for (int y = 0; y < 15; ++y)
        for (int x = 16; x < 32; ++x)
            strip.setPixelColor(x, y, Qt::blue);
    strip.setPixelColor(20, 3, test::kFace); // the mask colour: transparent
    RegisterToolbarResource(77, {strip, {9500, 9501}});

    QuMenu menu;
    menu.Attach(CreateNativePopupMenu());
    ASSERT_TRUE(menu.AppendItem(QStringLiteral("&Blue"), kMfString, 9501, 77));
    const int index = menu.items()[0]->sharedImageIndex;
    ASSERT_GE(index, 0);
    const QImage picture = QuMenu::SharedImages()->GetIcon(index);
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(qAlpha(picture.pixel(4, 3)), 0);
    ASSERT_TRUE(menu.AppendItem(QStringLiteral("Again"), kMfString, 9501));
    EXPECT_EQ(menu.items()[1]->sharedImageIndex, index);
    ASSERT_TRUE(menu.AppendItem(QStringLiteral("None"), kMfString, 9502, 4711));
    EXPECT_EQ(menu.items()[2]->sharedImageIndex, -1);
}
