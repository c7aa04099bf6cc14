// The DeviceList interface of the commands over the main window's list control.
#pragma once

#include "ops/ports.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace ktr {

// The four column widths of the device list for a client area this many pixels wide.
std::array<int, kListColumns> DeviceListColumnWidths(int clientWidth);

// Column captions and widths, whole-row selection, and the tooltip that says what the list is
// for: searching is the first step of every use, and the help text that says how to go on is
// gone after the first search.
void SetUpDeviceList(QTreeWidget &list);

// Rows are in the list the moment the commands add them; the control takes them in batches
// (`showNewRows`), because it lays out all its rows again for every insertion and a search of
// thousands of devices would otherwise cost each reply the whole list.
class TreeDeviceList : public DeviceList
{
public:
    explicit TreeDeviceList(QTreeWidget &list);
    ~TreeDeviceList() override;

    void insertRowAtTop(const DeviceRow &row) override;
    void deleteAllRows() override;
    int rowCount() const override;
    std::optional<int> selectedRow() const override;
    // "" for a row or column that does not exist.
    std::string cellText(int row, int column) const override;

    // Hands the rows added since the last call to the control, newest on top; false when there
    // were none.
    bool showNewRows();
    // Marks the row of the device the commands go to (bold) and unmarks every other row.
    void markTarget(int row);

private:
    const QTreeWidgetItem *item(int row) const;

    QTreeWidget &list_;
    // Rows not yet in the control, oldest first: they sit above all of its rows.
    std::vector<std::unique_ptr<QTreeWidgetItem>> newRows_;
};

} // namespace ktr
