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

QWidget *WidgetPage::control(int id) const
{
    QPointer<QWidget> &found = controls_[id];
    if (found.isNull()) {
        found = FindControl(page_, id);
    }
    return found.data();
}

std::string WidgetPage::text(int id) const
{
    QWidget *found = control(id);
    QString value;
    if (auto *edit = qobject_cast<QLineEdit *>(found)) {
        value = edit->text();
    } else if (auto *combo = qobject_cast<QComboBox *>(found)) {
        value = combo->currentText();
    } else if (auto *area = qobject_cast<QPlainTextEdit *>(found)) {
        value = area->toPlainText();
    } else if (auto *button = qobject_cast<QAbstractButton *>(found)) {
        value = button->text();
    }
    return value.toStdString();
}

void WidgetPage::setText(int id, std::string_view text)
{
    const QString value = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QWidget *found = control(id);
    if (auto *edit = qobject_cast<QLineEdit *>(found)) {
        edit->setText(value);
        edit->setCursorPosition(0);
    } else if (auto *combo = qobject_cast<QComboBox *>(found)) {
        combo->setEditText(value);
    } else if (auto *area = qobject_cast<QPlainTextEdit *>(found)) {
        area->setPlainText(value);
    } else if (auto *button = qobject_cast<QAbstractButton *>(found)) {
        button->setText(value);
    }
}

int WidgetPage::selection(int id) const
{
    auto *combo = qobject_cast<QComboBox *>(control(id));
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
    auto *combo = qobject_cast<QComboBox *>(control(id));
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
    const QWidget *found = control(id);
    return found != nullptr && found->isEnabled();
}

void WidgetPage::setEnabled(int id, bool enabled)
{
    if (QWidget *found = control(id)) {
        found->setEnabled(enabled);
    }
}

void WidgetPage::setFocus(int id)
{
    QWidget *found = control(id);
    if (found == nullptr) {
        return;
    }
    found->setFocus(Qt::OtherFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(found)) {
        edit->selectAll();
    }
}

} // namespace ktr
