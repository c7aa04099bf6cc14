// The device parameter page (template 138): the device's application settings and Modbus
// channels, with the read and write commands of the device block.
#pragma once

#include "app/template_page.h"

class QLabel;

namespace ktr {

class DevicePage : public TemplatePage
{
    Q_OBJECT

public:
    explicit DevicePage(QWidget *parent);

    // Says on the page which device its values were read from ("000EEB123456 (192.168.0.166)").
    void showSource(const QString &device);
    QLabel *sourceLine() const { return source_; }

public slots:
    void readClicked();
    void writeClicked();

private:
    // A line in the free band above the first row; until a read it says the values are the
    // defaults.
    QLabel *source_;
};

} // namespace ktr
