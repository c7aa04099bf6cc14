// The DeviceList interface of the commands over the main window's list control.
#pragma once

#include "ops/ports.h"

#include <memory>
#include <optional>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace ktr {

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
