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

} // namespace ktr
