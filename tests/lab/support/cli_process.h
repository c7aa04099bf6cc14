// ktr-cli run to its end as a child process of a lab test, with what it printed.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace ktr {

struct CliRun
{
    int exitCode = -1; // 128 + the signal for a killed process, -1 when it could not start
    std::string out;   // standard output
    std::string err;   // standard error
};

// Runs `$KTR_CLI args...` in this process's namespace, with the given standard input, and waits
// for its end (killed after the timeout). Once interruptWhen (asked every 100 ms) says so, the
// program gets one SIGINT, as from Ctrl+C.
CliRun RunCli(const std::vector<std::string> &args, const std::string &input = {},
              std::chrono::milliseconds timeout = std::chrono::seconds(60),
              const std::function<bool()> &interruptWhen = {});

} // namespace ktr
