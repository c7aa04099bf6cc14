// The network parameter page (template 137): the device's IP settings, its eight server entries
// and its MAC address, with the write, write-MAC and factory-defaults commands.
#pragma once

#include "app/template_page.h"

class QLabel;

namespace ktr {

class NetworkPage : public TemplatePage
{
    Q_OBJECT

public:
    explicit NetworkPage(QWidget *parent);

    // The line that names the device the page's values were read from.
    QLabel *sourceLine() const { return source_; }

public slots:
    void configureClicked();
    void ipModeChosen();
    void writeMacClicked();
    void loadDefaultsClicked();

private:
    // Until a read it says the values are the defaults.
    QLabel *source_;
};

} // namespace ktr
