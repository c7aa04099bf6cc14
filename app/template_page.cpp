// Parameter pages built from their templates, and the keys they keep from the main window.
#include "app/template_page.h"

#include "app/dialog_keys.h"
#include "app/slot_guard.h"
#include "app/template_builder.h"
#include "ops/commands.h"

#include <QLabel>
#include <QPushButton>

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

QPushButton *TemplatePage::button(int id) const
{
    return qobject_cast<QPushButton *>(control(id));
}

QLabel *TemplatePage::addTextLine(const QString &text, const QString &name, QRect dialogRect)
{
    auto *line = new QLabel(text, this);
    line->setObjectName(name);
    line->setProperty("ktrId", kNoControlId);
    line->setTextFormat(Qt::PlainText);
    line->setGeometry(DialogRectToPixels(dialogRect.x(), dialogRect.y(), dialogRect.width(),
                                         dialogRect.height(), units_));
    return line;
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
