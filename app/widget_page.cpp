#include "app/widget_page.h"

#include "app/template_builder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace ktr {

WidgetPage::WidgetPage(QWidget &page)
    : page_(page)
{
}

std::string WidgetPage::text(int id) const
{
    QWidget *control = FindControl(page_, id);
    QString value;
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        value = edit->text();
    } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
        value = combo->currentText();
    } else if (auto *area = qobject_cast<QPlainTextEdit *>(control)) {
        value = area->toPlainText();
    } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        value = button->text();
    }
    return value.toStdString();
}

void WidgetPage::setText(int id, std::string_view text)
{
    const QString value = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QWidget *control = FindControl(page_, id);
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        edit->setText(value);
        edit->setCursorPosition(0);
    } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
        combo->setEditText(value);
    } else if (auto *area = qobject_cast<QPlainTextEdit *>(control)) {
        area->setPlainText(value);
    } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        button->setText(value);
    }
}

int WidgetPage::selection(int id) const
{
    auto *combo = qobject_cast<QComboBox *>(FindControl(page_, id));
    if (combo == nullptr) {
        return -1;
    }
    const int current = combo->currentIndex();
    if (!combo->isEditable() ||
        (current >= 0 && combo->itemText(current) == combo->currentText())) {
        return current;
    }
    return combo->findText(combo->currentText(), Qt::MatchExactly);
}

void WidgetPage::setSelection(int id, int index)
{
    auto *combo = qobject_cast<QComboBox *>(FindControl(page_, id));
    if (combo == nullptr) {
        return;
    }
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    if (combo->currentIndex() < 0 && combo->isEditable()) {
        combo->setEditText(QString());
    }
}

bool WidgetPage::isEnabled(int id) const
{
    const QWidget *control = FindControl(page_, id);
    return control != nullptr && control->isEnabled();
}

void WidgetPage::setEnabled(int id, bool enabled)
{
    if (QWidget *control = FindControl(page_, id)) {
        control->setEnabled(enabled);
    }
}

void WidgetPage::setFocus(int id)
{
    QWidget *control = FindControl(page_, id);
    if (control == nullptr) {
        return;
    }
    control->setFocus(Qt::OtherFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        edit->selectAll();
    }
}

} // namespace ktr
