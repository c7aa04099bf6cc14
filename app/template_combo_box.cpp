#include "app/template_combo_box.h"

#include "app/shared_style.h"

#include <QAccessibleWidget>
#include <QProxyStyle>
#include <QStyleOptionComplex>

#include <algorithm>

namespace ktr {
namespace {

class ComboAccessible : public QAccessibleWidget
{
public:
    explicit ComboAccessible(QComboBox *combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) {
            return combo()->currentText();
        }
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == showMenuAction()) {
            combo()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }

private:
    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *ComboFactory(const QString &className, QObject *object)
{
    auto *combo = qobject_cast<TemplateComboBox *>(object);
    if (combo == nullptr ||
        className != QLatin1String(TemplateComboBox::staticMetaObject.className())) {
        return nullptr;
    }
    return new ComboAccessible(combo);
}

// Narrows the arrow part of a combo box and widens its edit field by as much.
class NarrowArrowStyle : public QProxyStyle
{
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl part,
                         const QWidget *widget) const override
    {
        QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
        if (control != CC_ComboBox) {
            return rect;
        }
        const QRect &box = option->rect;
        const int arrow = ComboArrowWidth(option->fontMetrics.height());
        if (part == SC_ComboBoxArrow) {
            rect = QRect(box.right() - arrow + 1, box.top(), arrow, box.height());
        } else if (part == SC_ComboBoxEditField) {
            rect.setRight(box.right() - arrow - 1);
        }
        return rect;
    }
};

} // namespace

int ComboArrowWidth(int fontHeight)
{
    return std::max(11, fontHeight * 3 / 4);
}

TemplateComboBox::TemplateComboBox(QWidget *parent)
    : QComboBox(parent)
{
    if (QStyle *style = SharedStyle<NarrowArrowStyle>()) {
        setStyle(style);
    }
}

void InstallComboAccessibility()
{
    static const bool installed = (QAccessible::installFactory(&ComboFactory), true);
    (void)installed;
}

} // namespace ktr
