// Ending the tool once its window has painted, for checks of an installed copy (a package test
// starts it with KTR_QUIT_AFTER_PAINT=1 on the offscreen platform and expects exit code 0).
#pragma once

class QApplication;

namespace ktr {

// Installs the watch when KTR_QUIT_AFTER_PAINT is set; otherwise does nothing.
void QuitAfterFirstPaintFromEnvironment(QApplication &application);

} // namespace ktr
