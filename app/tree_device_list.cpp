#include "app/tree_device_list.h"

#include <QBrush>
#include <QTreeWidget>

namespace ktr {
namespace {

constexpr int kTargetTintAlpha = 70;

} // namespace

TreeDeviceList::TreeDeviceList(QTreeWidget &list)
    : list_(list)
{
}

void TreeDeviceList::insertRowAtTop(const DeviceRow &row)
{
    QStringList texts;
    for (const std::string &cell : row) {
        texts.append(QString::fromStdString(cell));
    }
    list_.insertTopLevelItem(0, new QTreeWidgetItem(texts));
}

void TreeDeviceList::deleteAllRows()
{
    list_.clear();
}

int TreeDeviceList::rowCount() const
{
    return list_.topLevelItemCount();
}

int TreeDeviceList::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = list_.selectedItems();
    return selected.isEmpty() ? -1 : list_.indexOfTopLevelItem(selected.first());
}

std::string TreeDeviceList::cellText(int row, int column) const
{
    const QTreeWidgetItem *item = list_.topLevelItem(row);
    if (item == nullptr || column < 0 || column >= list_.columnCount()) {
        return {};
    }
    return item->text(column).toStdString();
}

void TreeDeviceList::markTarget(int row)
{
    // Bold alone does not show in every face (bitmap faces have no bold), so the row is also
    // tinted with the selection colour, which stays visible when another row is selected.
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
