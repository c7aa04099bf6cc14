#include "app/template_builder.h"

#include "app/app_icon.h"
#include "app/group_box_style.h"
#include "app/multi_line_edit.h"
#include "app/tab_control.h"
#include "app/template_combo_box.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVariant>

#include <algorithm>

namespace ktr {
namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A combo's template height is that of its open list; the closed box is as tall as an edit.
constexpr int kComboBoxHeight = 12;

QWidget *CreateEdit(const ControlTemplate &c, QWidget &dialog)
{
    if (c.style & kMultiLine) {
        auto *edit = new MultiLineEdit(&dialog);
        edit->setUpperCase(c.style & kUpperCase);
        edit->setReadOnly(c.style & kReadOnly);
        edit->setVerticalScrollBarPolicy((c.style & kVScroll) ? Qt::ScrollBarAlwaysOn
                                                              : Qt::ScrollBarAsNeeded);
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setFrameShape((c.style & kBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
        return edit;
    }
    auto *edit = new QLineEdit(&dialog);
    edit->setReadOnly(c.style & kReadOnly);
    edit->setFrame(c.style & kBorder);
    return edit;
}

QWidget *CreateComboBox(const ControlTemplate &c, QWidget &dialog)
{
    InstallComboAccessibility();
    auto *combo = new TemplateComboBox(&dialog);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    for (std::string_view item : c.items) {
        combo->addItem(FromUtf8(item));
    }
    combo->setCurrentIndex(-1);
    return combo;
}

QWidget *CreateListView(const ControlTemplate &c, QWidget &dialog)
{
    auto *list = new QTreeWidget(&dialog);
    list->setColumnCount(0);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode((c.style & kSingleSelection) ? QAbstractItemView::SingleSelection
                                                        : QAbstractItemView::ExtendedSelection);
    // One cell at a time until the window asks for full rows.
    list->setSelectionBehavior(QAbstractItemView::SelectItems);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->setFrameShape((c.style & kBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
    return list;
}

QWidget *CreateIcon(const ControlTemplate &c, QWidget &dialog, const QRect &pixels)
{
    auto *label = new QLabel(&dialog);
    const QIcon icon = LoadResourceIcon(FromUtf8(c.text).toInt());
    label->setPixmap(icon.pixmap(pixels.size()));
    return label;
}

QWidget *CreateControl(const ControlTemplate &c, QWidget &dialog, const QRect &pixels)
{
    switch (c.kind) {
    case ControlKind::GroupBox: {
        auto *box = new QGroupBox(FromUtf8(c.text), &dialog);
        if (QStyle *style = SharedGroupBoxStyle())
            box->setStyle(style);
        return box;
    }
    case ControlKind::Label: {
        auto *label = new QLabel(FromUtf8(c.text), &dialog);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::Edit:
        return CreateEdit(c, dialog);
    case ControlKind::PushButton:
    case ControlKind::DefaultButton: {
        auto *button = new QPushButton(FromUtf8(c.text), &dialog);
        // Only a default button of the template takes Enter by itself; the window decides
        // for the others.
        button->setAutoDefault(false);
        button->setDefault(c.kind == ControlKind::DefaultButton);
        return button;
    }
    case ControlKind::ComboBox:
        return CreateComboBox(c, dialog);
    case ControlKind::ListView:
        return CreateListView(c, dialog);
    case ControlKind::TabControl:
        return new TabControl(&dialog);
    case ControlKind::Icon:
        return CreateIcon(c, dialog, pixels);
    }
    return nullptr;
}

bool TakesLabel(ControlKind kind)
{
    return kind == ControlKind::Edit || kind == ControlKind::ComboBox ||
           kind == ControlKind::ListView;
}

} // namespace

QString AccessibleNameFor(const ControlTemplate &control, std::string_view precedingLabel)
{
    QString name;
    if (TakesLabel(control.kind) || control.kind == ControlKind::TabControl ||
        control.kind == ControlKind::Icon) {
        name = FromUtf8(control.label.empty() ? precedingLabel : control.label);
    } else {
        name = FromUtf8(control.text);
        name.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
        name.remove(QLatin1Char('&'));
        name.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    }
    while (name.endsWith(QStringLiteral("：")) || name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    if (!control.qualifier.empty()) {
        name = FromUtf8(control.qualifier) + QLatin1Char(' ') + name;
    }
    return name;
}

BaseUnits BuildFromTemplate(const DialogTemplate &dialogTemplate, QWidget &dialog)
{
    dialog.setFont(DialogFont(FromUtf8(dialogTemplate.fontFace), dialogTemplate.pointSize));
    const BaseUnits units = MeasureBaseUnits(dialog.font());
    const QSize size(HorizontalDluToPixels(dialogTemplate.width, units),
                     VerticalDluToPixels(dialogTemplate.height, units));
    // Windows keep their template size; a child page is placed by its owner.
    if (dialog.isWindow()) {
        dialog.setFixedSize(size);
    } else {
        dialog.resize(size);
    }
    if (!dialogTemplate.caption.empty()) {
        dialog.setWindowTitle(FromUtf8(dialogTemplate.caption));
    }

    QLabel *pendingLabel = nullptr;
    std::string_view pendingText;
    for (const ControlTemplate &c : dialogTemplate.controls) {
        const int height =
            c.kind == ControlKind::ComboBox ? std::min(c.height, kComboBoxHeight) : c.height;
        const QRect pixels = DialogRectToPixels(c.x, c.y, c.width, height, units);
        QWidget *widget = CreateControl(c, dialog, pixels);
        widget->setGeometry(pixels);
        widget->setProperty("ktrId", c.id);
        if (c.id != kNoControlId) {
            widget->setObjectName(QStringLiteral("ctrl_%1").arg(c.id));
        }
        widget->setAccessibleName(AccessibleNameFor(c, pendingText));
        if (TakesLabel(c.kind)) {
            if (pendingLabel != nullptr && c.label.empty()) {
                pendingLabel->setBuddy(widget);
            }
            pendingLabel = nullptr;
            pendingText = {};
        } else if (c.kind == ControlKind::Label) {
            pendingLabel = static_cast<QLabel *>(widget);
            pendingText = c.text;
        }
        if (c.kind == ControlKind::GroupBox) {
            widget->lower(); // frames stay behind the controls they hold
        }
    }
    return units;
}

QWidget *FindControl(const QWidget &dialog, int id)
{
    return dialog.findChild<QWidget *>(QStringLiteral("ctrl_%1").arg(id),
                                       Qt::FindDirectChildrenOnly);
}

} // namespace ktr
