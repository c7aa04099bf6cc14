// The Page interface of the commands over a page widget built from a template: controls are
// found by identifier among the page's direct children.
#pragma once

#include "ops/ports.h"

class QWidget;

namespace ktr {

class WidgetPage : public Page
{
public:
    explicit WidgetPage(QWidget &page);

    // Edits give their text, combo boxes the text of their edit field; other controls and
    // unknown identifiers give "".
    std::string text(int id) const override;
    void setText(int id, std::string_view text) override;
    // The index of the item the combo shows: the current item, or the item whose text the user
    // typed; -1 when the field matches no item.
    int selection(int id) const override;
    void setSelection(int id, int index) override;
    bool isEnabled(int id) const override;
    void setEnabled(int id, bool enabled) override;

private:
    QWidget &page_;
};

} // namespace ktr
