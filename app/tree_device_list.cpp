#include "app/tree_device_list.h"

#include <QBrush>
#include <QTreeWidget>

namespace ktr {
namespace {

constexpr int kTargetTintAlpha = 70;

} // namespace

std::array<int, kListColumns> DeviceListColumnWidths(int clientWidth)
{
    const int wide = 3 * clientWidth / 11;
    return {wide, wide, wide, 2 * clientWidth / 11};
}

void SetUpDeviceList(QTreeWidget &list)
{
    list.setHeaderLabels({QStringLiteral("设备IP"), QStringLiteral("设备名称"),
                          QStringLiteral("MAC地址"), QStringLiteral("固件版本")});
    // The client area as it is without scroll bars: the list is empty at this point.
    const auto widths = DeviceListColumnWidths(list.maximumViewportSize().width());
    for (int column = 0; column < kListColumns; ++column)
        list.setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setAllColumnsShowFocus(true);
    list.setToolTip(QStringLiteral("双击列表中的设备，读取并配置它的参数"));
}

TreeDeviceList::TreeDeviceList(QTreeWidget &list)
    : list_(list)
{
}

TreeDeviceList::~TreeDeviceList() = default;

void TreeDeviceList::insertRowAtTop(const DeviceRow &row)
{
    QStringList texts;
    for (const std::string &cell : row) {
        texts.append(QString::fromStdString(cell));
    }
    newRows_.push_back(std::make_unique<QTreeWidgetItem>(texts));
}

bool TreeDeviceList::showNewRows()
{
    if (newRows_.empty()) {
        return false;
    }
    QList<QTreeWidgetItem *> items;
    items.reserve(static_cast<qsizetype>(newRows_.size()));
    for (auto row = newRows_.rbegin(); row != newRows_.rend(); ++row) {
        items.append(row->release());
    }
    newRows_.clear();
    list_.insertTopLevelItems(0, items);
    return true;
}

void TreeDeviceList::deleteAllRows()
{
    newRows_.clear();
    list_.clear();
}

int TreeDeviceList::rowCount() const
{
    return static_cast<int>(newRows_.size()) + list_.topLevelItemCount();
}

std::optional<int> TreeDeviceList::selectedRow() const
{
    // Only rows of the control can be selected; the new rows above them move them down.
    const QList<QTreeWidgetItem *> selected = list_.selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return static_cast<int>(newRows_.size()) + list_.indexOfTopLevelItem(selected.first());
}

const QTreeWidgetItem *TreeDeviceList::item(int row) const
{
    const int fresh = static_cast<int>(newRows_.size());
    if (row < 0) {
        return nullptr;
    }
    if (row < fresh) {
        return newRows_[static_cast<std::size_t>(fresh - 1 - row)].get();
    }
    return list_.topLevelItem(row - fresh);
}

std::string TreeDeviceList::cellText(int row, int column) const
{
    const QTreeWidgetItem *found = item(row);
    if (found == nullptr || column < 0 || column >= list_.columnCount()) {
        return {};
    }
    return found->text(column).toStdString();
}

void TreeDeviceList::markTarget(int row)
{
    // Bold alone does not show in every face (bitmap faces have no bold), so the row is also
    // tinted with the selection colour, which stays visible when another row is selected.
    showNewRows();
    QColor tint = list_.palette().color(QPalette::Highlight);
    tint.setAlpha(kTargetTintAlpha);
    for (int i = 0; i < list_.topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = list_.topLevelItem(i);
        const bool target = i == row;
        for (int column = 0; column < list_.columnCount(); ++column) {
            QFont font = item->font(column);
            font.setBold(target);
            item->setFont(column, font);
            item->setBackground(column, target ? QBrush(tint) : QBrush());
        }
        item->setToolTip(0, target ? QStringLiteral("正在操作的设备；双击另一台设备可以更换")
                                   : QString());
    }
}

} // namespace ktr
