// A parameter page: a child window built from its template whose buttons run commands against
// the window's interfaces once the main window has bound them.
#pragma once

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

protected:
    void run(void (*command)(Ui &));

private:
    Ui *ui_ = nullptr;
};

} // namespace ktr
