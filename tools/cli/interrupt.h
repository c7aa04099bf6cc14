// Ctrl+C during a batch run: noted in a flag instead of ending the program, so that the run can
// stop where it is and say what it has done.
#pragma once

namespace ktr::cli {

// From now on Ctrl+C (SIGINT; on Windows the console's Ctrl+C and Ctrl+Break) sets the flag.
// False when the system refused.
[[nodiscard]] bool CatchInterrupt();
bool InterruptRequested();

} // namespace ktr::cli
