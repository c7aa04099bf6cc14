// ktr-cli: the command-line companion of ktr-setup.
#include <iostream>
#include <string>
#include <vector>

#include "tools/cli/command_line.h"

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto line = ktr::cli::ParseCommandLine(args);
    if (!line) {
        std::cout << line.error().out;
        std::cerr << line.error().err;
        return line.error().code;
    }
    return ktr::cli::RunCommandLine(*line);
}
