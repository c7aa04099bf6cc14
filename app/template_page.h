// A parameter page: a child window built from its template whose buttons run commands against
// the window's interfaces once the main window has bound them.
#pragma once

#include "app/dialog_units.h"

#include <QWidget>

namespace ktr {

struct Ui;

class TemplatePage : public QWidget
{
    Q_OBJECT

public:
    TemplatePage(int templateId, QWidget *parent);

    void bind(Ui &ui) { ui_ = &ui; }
    // The page's control with this identifier; nullptr when there is none.
    QWidget *control(int id) const;
    // The base units the page was built with.
    BaseUnits units() const { return units_; }

protected:
    void run(void (*command)(Ui &));
    // Enter and Esc typed on a page never end the tool, which would lose every value typed
    // there; Enter on a focused button still runs it.
    void keyPressEvent(QKeyEvent *event) override;

private:
    Ui *ui_ = nullptr;
    BaseUnits units_;
};

} // namespace ktr
