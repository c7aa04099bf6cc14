// Fuzzes loading a menu template into a QuMenu: the template reader, item records, pop-ups,
// the accelerator padding of labels, measuring and painting each item, the pop-up built from
// the menu and the menu-character search. A hang (e.g. padding that never widens) shows as a
// libFuzzer time-out.
#include "widgets/menu_item_painter.h"
#include "widgets/menu_popup.h"
#include "widgets/menu_template.h"
#include "widgets/native_menu.h"
#include "widgets/qu_menu.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// A loaded label equals the template's text, or the same with spaces put in before its tab.
bool SameLabel(const QString &loaded, const QString &original)
{
    const qsizetype tab = original.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return loaded == original;
    const QString label = original.left(tab);
    const QString rest = original.mid(tab);
    if (!loaded.startsWith(label) || !loaded.endsWith(rest) ||
        loaded.size() < label.size() + rest.size())
        return false;
    const QString padding = loaded.mid(label.size(), loaded.size() - label.size() - rest.size());
    return padding.count(QLatin1Char(' ')) == padding.size();
}

// Measures and paints every item of the menu and its pop-ups, in template order, and checks
// each against the item the reader gives for it.
void VisitMenu(ktr::QuMenu &menu, ktr::MenuTemplateReader &reader, QImage &canvas, int depth)
{
    using namespace ktr;
    Check(depth < 1000);
    const int count = GetNativeMenuItemCount(menu.handle());
    Check(count == static_cast<int>(menu.items().size()));
    for (int pos = 0; pos < count; ++pos) {
        const MenuItemRecord &record = *menu.items()[static_cast<std::size_t>(pos)];
        const std::optional<MenuTemplateItem> original = reader.next();
        Check(original.has_value());
        Check(SameLabel(record.text, original->text));

        MenuMeasureItem measure;
        measure.itemId = record.command;
        measure.record = &record;
        menu.MeasureItem(measure);
        Check(measure.width >= 0 && measure.height > 0);

        MenuDrawItem draw;
        draw.rect = QRect(0, 0, canvas.width(), std::min(measure.height, canvas.height()));
        draw.selected = (pos % 2) == 1;
        draw.grayed = (original->flags & kMfGrayed) != 0;
        draw.checked = (original->flags & kMfChecked) != 0;
        draw.menu = menu.handle();
        draw.itemId = record.command;
        draw.record = &record;
        QPainter painter(&canvas);
        menu.DrawItem(painter, draw);
        painter.end();

        if (original->flags & kMfPopup) {
            QuMenu *sub = menu.GetSubMenu(pos);
            Check(sub != nullptr);
            VisitMenu(*sub, reader, canvas, depth + 1);
        } else {
            Check(record.command == original->command);
        }
    }
}

struct Counts
{
    std::size_t menus = ktr::NativeMenuCount();
    std::size_t registered = ktr::QuMenu::RegisteredCount();
    std::size_t records = ktr::QuMenu::LiveRecordCount();
    bool operator==(const Counts &) const = default;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // One application for the whole run: fonts and the style need it.
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace ktr;
    const std::span<const std::uint8_t> bytes(data, size);
    const Counts before;
    {
        QuMenu menu;
        if (menu.LoadMenuTemplate(bytes)) {
            // Both looks paint differently; the input's length picks one.
            OverrideMenuLook(MenuLook{.osCode = 7, .themedXp = false, .flat = size % 2 == 0});
            MenuTemplateReader reader(bytes);
            QImage canvas(160, 24, QImage::Format_RGB32);
            VisitMenu(menu, reader, canvas, 0);

            MenuItemStyle style;
            QuMenuPopup popup(menu, style);
            Check(popup.sizeHint().isValid());
            for (QAction *action : popup.actions()) {
                if (!action->text().isEmpty())
                    menu.MenuCharSearch(action->text().back().unicode(), kMfPopup, menu.handle());
            }
        } else {
            Check(menu.handle() == 0);
        }
    }
    // Nothing of a menu outlives it, loaded or refused.
    Check(Counts{} == before);
    return 0;
}
