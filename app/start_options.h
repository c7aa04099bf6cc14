// What ktr-setup answers without opening its window: --help and --version, printed to the
// terminal it was started from.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace ktr {

// The help text of ktr-setup.
std::string SetupHelpText();

// When the arguments ask for help or the version, prints it to `out` and gives the exit code
// (0); nullopt when the window is to open. Other arguments are left to Qt.
[[nodiscard]] std::optional<int> AnswerWithoutWindow(int argc, const char *const *argv,
                                                     std::FILE *out);

} // namespace ktr
