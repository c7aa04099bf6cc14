// Pictures of a window as PNG files, for demos and tests.
//
// Demo hook: when the environment variable KTR_SCREENSHOT names a file, the main window saves a
// picture of itself there KTR_SCREENSHOT_DELAY_MS milliseconds (default 2000) after each search,
// once the replies have had time to arrive. The tool has no other way to be told anything.
#pragma once

#include <QString>

class QWidget;

namespace ktr {

// Renders the widget and writes it to path as PNG, creating the folder; false on failure.
bool SaveScreenshot(QWidget &widget, const QString &path);

// Arms the demo hook described above; does nothing when KTR_SCREENSHOT is not set.
void ScheduleScreenshotFromEnvironment(QWidget &widget);

} // namespace ktr
