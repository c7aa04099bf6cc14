// A parameter page: a child window built from its template whose buttons run commands against
// the window's interfaces once the main window has bound them.
#pragma once

#include "app/dialog_units.h"

#include <QRect>
#include <QWidget>

class QLabel;
class QPushButton;

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
    // The page's button with this identifier; nullptr when there is none.
    QPushButton *button(int id) const;
    // A line of plain text that is not part of the template, named for tests and placed in
    // dialog units like the template's controls.
    QLabel *addTextLine(const QString &text, const QString &name, QRect dialogRect);
    // Enter and Esc typed on a page never end the tool, which would lose every value typed
    // there; Enter on a focused button still runs it.
    void keyPressEvent(QKeyEvent *event) override;

private:
    Ui *ui_ = nullptr;
    BaseUnits units_;
};

} // namespace ktr
