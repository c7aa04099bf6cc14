// Pictures of a window as PNG files, for the tests' evidence folders.
#pragma once

#include <QString>

class QWidget;

namespace ktr {

// Renders the widget and writes it to path as PNG, creating the folder; false on failure.
bool SaveScreenshot(QWidget &widget, const QString &path);

} // namespace ktr
