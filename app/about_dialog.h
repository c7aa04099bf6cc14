// The About box (template 100): the product's icon, name and version; OK or Esc closes it.
#pragma once

#include <QDialog>

namespace ktr {

class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
};

} // namespace ktr
