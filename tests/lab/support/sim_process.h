// A ktr-sim child process running in a lab namespace, with its output lines.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>
#include <utility>
#include <vector>

#include "tests/lab/support/lab_env.h"

namespace ktr {

class SimProcess
{
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Runs `ip netns exec <host's namespace> $KTR_SIM args...` (or the program set with
    // setProgram) and waits for its "ready" line. Returns an empty string or what went wrong
    // (the process is stopped then).
    std::string start(const std::vector<std::string> &args, LabHost host = LabHost::Dev,
                      std::chrono::milliseconds readyTimeout = std::chrono::seconds(10));

    // Waits up to timeout until count lines (read since start) contain text.
    bool waitForLines(std::string_view text, std::size_t count, std::chrono::milliseconds timeout);
    bool waitForLine(std::string_view text, std::chrono::milliseconds timeout)
    {
        return waitForLines(text, 1, timeout);
    }
    // The lines read since start, "ready" included. A reader thread keeps the pipe empty, so
    // a chatty simulator never blocks on its output.
    std::vector<std::string> lines() const;
    std::size_t countLines(std::string_view text) const;

    // SIGTERM, then waits up to timeout (SIGKILL after it). Returns the exit code, 128 + the
    // signal number for a killed process, or -1 when nothing was running.
    int stop(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    bool running() const { return pid_ > 0; }
    // Another program that speaks like the simulator: "ready", lines, ends on SIGTERM.
    void setProgram(std::string path) { program_ = std::move(path); }

private:
    void readOutput(int fd);
    std::size_t countLinesLocked(std::string_view text) const;

    std::string program_;
    pid_t pid_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
    bool closed_ = false;
};

} // namespace ktr
