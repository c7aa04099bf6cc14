#include "app/message_boxes.h"

#include <QMessageBox>

namespace ktr {

void ModalMessageBoxes::show(QWidget *owner, const QString &text, const QString &caption,
                             BoxIcon icon)
{
    QMessageBox box(icon == BoxIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    caption, text, QMessageBox::Ok, owner);
    box.exec();
}

bool MessageBoxes::ask(QWidget *, const QString &, const QString &)
{
    return false;
}

bool ModalMessageBoxes::ask(QWidget *owner, const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace ktr
