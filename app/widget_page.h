// The controls of a page widget built from a template, found by identifier among the page's
// direct children: their texts, selections and enabling.
#pragma once

#include <QPointer>
#include <QWidget>

#include <string>
#include <string_view>
#include <unordered_map>

namespace ktr {

class WidgetPage
{
public:
    explicit WidgetPage(QWidget &page);

    // Edits give their text, combo boxes the text of their edit field; other controls and
    // unknown identifiers give "".
    std::string text(int id) const;
    void setText(int id, std::string_view text);
    // The index of the item the combo shows: the current item, or the item whose text the user
    // typed; -1 when the field matches no item.
    int selection(int id) const;
    void setSelection(int id, int index);
    bool isEnabled(int id) const;
    void setEnabled(int id, bool enabled);
    // Focus in the control; an edit's text is selected so that typing replaces it.
    void setFocus(int id);

private:
    // The control with the identifier, looked up among the page's children once: the pages
    // are read and filled at every reply.
    QWidget *control(int id) const;

    QWidget &page_;
    mutable std::unordered_map<int, QPointer<QWidget>> controls_;
};

} // namespace ktr
