// The start-up benchmark's probe, built into the benchmark's programs only: when the environment
// variable KTR_FIRST_PAINT_REPORT names a file, the first paint of a window ends the program at
// once, after writing to that file when it happened (CLOCK_MONOTONIC), the peak resident memory
// and every shared object loaded by then.
#pragma once

class QApplication;

namespace ktr {

// Watches every window of the application; does nothing when KTR_FIRST_PAINT_REPORT is not set.
void ExitAfterFirstPaintIfAsked(QApplication &application);

} // namespace ktr
