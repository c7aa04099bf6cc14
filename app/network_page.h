// The network parameter page (template 137): the device's IP settings, its eight server entries
// and its MAC address, with the write, write-MAC and factory-defaults commands.
#pragma once

#include "app/template_page.h"

namespace ktr {

class NetworkPage : public TemplatePage
{
    Q_OBJECT

public:
    explicit NetworkPage(QWidget *parent);

public slots:
    void configureClicked();
    void ipModeChosen();
    void writeMacClicked();
    void loadDefaultsClicked();
};

} // namespace ktr
