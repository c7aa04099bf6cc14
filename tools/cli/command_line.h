// The command line of ktr-cli: its commands and options, read into the options of the command
// to run, or into what the program prints instead (help, version, or what is wrong with the
// command line, in Chinese like the rest of the program).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "tools/cli/commands.h"

namespace ktr::cli {

enum class Command { Search, Get, Export, Set, Apply, Mac, Reset };

struct CommandLine
{
    Command command = Command::Search;
    GlobalOptions global;
    SearchOptions search;
    DeviceOptions device; // get, export
    SetOptions set;
    ApplyOptions apply;
    MacAddress newMac{}; // mac: the device's MAC is device.mac
    ResetOptions reset;
};

// What the program ends with when no command runs: help or version text for standard output
// (exit 0), or a message for standard error (exit 2).
struct CommandLineExit
{
    int code = 0;
    std::string out;
    std::string err;
};

// Reads the arguments that follow the program's name.
[[nodiscard]] Result<CommandLine, CommandLineExit>
ParseCommandLine(const std::vector<std::string> &args);

// Runs the command; its exit code.
int RunCommandLine(const CommandLine &line);

// The name nearest to the word by edit distance (letters added, removed, changed or swapped),
// when it is close enough to be a slip of the keyboard; nullopt otherwise.
[[nodiscard]] std::optional<std::string> NearestName(std::string_view word,
                                                     const std::vector<std::string> &names);

} // namespace ktr::cli
