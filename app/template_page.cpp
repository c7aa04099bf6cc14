// Parameter pages built from their templates, and the keys they keep from the main window.
#include "app/template_page.h"

#include "app/dialog_keys.h"
#include "app/slot_guard.h"
#include "app/template_builder.h"
#include "ops/commands.h"

namespace ktr {

TemplatePage::TemplatePage(int templateId, QWidget *parent)
    : QWidget(parent)
{
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(templateId)) {
        units_ = BuildFromTemplate(*dialogTemplate, *this);
    }
}

QWidget *TemplatePage::control(int id) const
{
    return FindControl(*this, id);
}

void TemplatePage::run(void (*command)(Ui &))
{
    if (ui_ != nullptr) {
        RunGuarded([this, command] { command(*ui_); });
    }
}

void TemplatePage::keyPressEvent(QKeyEvent *event)
{
    if (IsPlainEnter(*event)) {
        ClickFocusedButton(*this);
        event->accept();
        return;
    }
    if (IsPlainEscape(*event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace ktr
