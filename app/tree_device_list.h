// The DeviceList interface of the commands over the main window's list control.
#pragma once

#include "ops/ports.h"

class QTreeWidget;

namespace ktr {

class TreeDeviceList : public DeviceList
{
public:
    explicit TreeDeviceList(QTreeWidget &list);

    void insertRowAtTop(const DeviceRow &row) override;
    void deleteAllRows() override;
    int rowCount() const override;
    int selectedRow() const override;
    // "" for a row or column that does not exist.
    std::string cellText(int row, int column) const override;

    // Marks the row of the device the commands go to (bold) and unmarks every other row.
    void markTarget(int row);

private:
    QTreeWidget &list_;
};

} // namespace ktr
