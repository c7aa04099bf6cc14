// The one builder that turns a dialog template into Qt widgets, and the rules it follows for
// control names, lookup and accessible names.
#pragma once

#include "app/dialog_units.h"
#include "res/dialog_templates.h"

#include <QString>
#include <string_view>

class QWidget;

namespace ktr {

// Sets the template's font, caption and client size on the dialog and creates every control as
// its direct child, positioned in pixels from dialog units. Each control carries the property
// "ktrId" and, when it has an identifier, the object name "ctrl_<id>". Returns the base units
// used.
BaseUnits BuildFromTemplate(const DialogTemplate &dialogTemplate, QWidget &dialog);

// The direct child of the dialog with this identifier; nullptr when there is none.
QWidget *FindControl(const QWidget &dialog, int id);

// What a screen reader calls a control: a button, group box or static by its text without the
// mnemonic marker; an edit, combo or list by its label (the static right before it in the
// template, or the template's own label) without the trailing colon; prefixed by its group or
// row where labels repeat.
QString AccessibleNameFor(const ControlTemplate &control, std::string_view precedingLabel);

} // namespace ktr
