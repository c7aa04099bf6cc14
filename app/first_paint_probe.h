// Benchmark hook: when the environment variable KTR_FIRST_PAINT_REPORT names a file, the first
// paint of the watched window ends the program at once, after writing to that file when it
// happened (CLOCK_MONOTONIC), the peak resident memory and every shared object loaded by then.
// The start-up benchmark reads it; nothing else sets the variable.
#pragma once

class QWidget;

namespace ktr {

// Watches the window; does nothing when KTR_FIRST_PAINT_REPORT is not set.
void ExitAfterFirstPaintIfAsked(QWidget &window);

} // namespace ktr
