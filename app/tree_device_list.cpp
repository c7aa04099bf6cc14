#include "app/tree_device_list.h"

#include <QTreeWidget>

namespace ktr {

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
    for (int i = 0; i < list_.topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = list_.topLevelItem(i);
        for (int column = 0; column < list_.columnCount(); ++column) {
            QFont font = item->font(column);
            font.setBold(i == row);
            item->setFont(column, font);
        }
    }
}

} // namespace ktr
