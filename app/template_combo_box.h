// The combo box of the dialog templates. Its accessible name is the label's and its value the
// text in the field (Qt's own combo interface names a combo by its text on Linux, which would
// leave the unlabelled serial combos "数据位", "校验位", "停止位" nameless for screen readers), and
// its drop-down arrow is narrow like a Windows combo's, so that "NONE" fits the parity box.
#pragma once

#include <QComboBox>

namespace ktr {

// The combo box the builder makes; its own class so the accessibility factory recognises it
// from the moment it is constructed.
class TemplateComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit TemplateComboBox(QWidget *parent);
};

// The width of the drop-down arrow for a font of this height.
int ComboArrowWidth(int fontHeight);

// Installs the interface factory for TemplateComboBox; idempotent.
void InstallComboAccessibility();

} // namespace ktr
