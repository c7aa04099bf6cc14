// The device parameter page (template 138): the device's application settings and Modbus
// channels, with the read and write commands of the device block.
#pragma once

#include "app/template_page.h"

namespace ktr {

class DevicePage : public TemplatePage
{
    Q_OBJECT

public:
    explicit DevicePage(QWidget *parent);

public slots:
    void OnReadDeviceBlock();
    void OnWriteDeviceBlock();
};

} // namespace ktr
