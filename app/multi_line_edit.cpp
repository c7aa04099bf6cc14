#include "app/multi_line_edit.h"

#include "app/dialog_keys.h"

#include <QKeyEvent>
#include <QMimeData>

namespace ktr {

MultiLineEdit::MultiLineEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
}

void MultiLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (IsPlainEnter(*event)) {
        event->ignore(); // the dialog's default command
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::ControlModifier)) {
        insertPlainText(QStringLiteral("\n"));
        return;
    }
    const QString upper = event->text().toUpper();
    if (upperCase_ && upper != event->text()) {
        QKeyEvent converted(event->type(), event->key(), event->modifiers(), upper,
                            event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&converted);
        event->setAccepted(converted.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MultiLineEdit::insertFromMimeData(const QMimeData *source)
{
    if (!upperCase_ || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    insertPlainText(source->text().toUpper());
}

} // namespace ktr
