// Starting, following and stopping the simulator child process.
#include "tests/lab/support/sim_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ktr {

SimProcess::~SimProcess()
{
    stop();
}

std::string SimProcess::start(const std::vector<std::string> &args, LabHost host,
                              std::chrono::milliseconds readyTimeout)
{
    if (running())
        return "simulator already running";
    const std::string sim = program_.empty() ? SimBinary() : program_;
    if (sim.empty())
        return "KTR_SIM is not set (the lab tests run through ctest or scripts/lab exec)";
    std::vector<std::string> argv{"ip", "netns", "exec", LabNamespace(host), sim};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> cargv;
    for (std::string &a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return std::string("pipe: ") + std::strerror(errno);
    pid_ = fork();
    if (pid_ < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::string("fork: ") + std::strerror(errno);
    }
    if (pid_ == 0) {
        dup2(fds[1], STDOUT_FILENO);
        execvp(cargv[0], cargv.data());
        _exit(127);
    }
    ::close(fds[1]);
    {
        std::lock_guard lock(mutex_);
        lines_.clear();
        closed_ = false;
    }
    reader_ = std::thread([this, fd = fds[0]] { readOutput(fd); });
    if (!waitForLine("ready", readyTimeout)) {
        const int status = stop();
        return "simulator not ready (exit status " + std::to_string(status) + ")";
    }
    return {};
}

void SimProcess::readOutput(int fd)
{
    std::string partial;
    char buffer[4096];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        partial.append(buffer, static_cast<std::size_t>(n));
        std::lock_guard lock(mutex_);
        std::size_t newline;
        while ((newline = partial.find('\n')) != std::string::npos) {
            lines_.push_back(partial.substr(0, newline));
            partial.erase(0, newline + 1);
        }
        changed_.notify_all();
    }
    ::close(fd);
    std::lock_guard lock(mutex_);
    if (!partial.empty())
        lines_.push_back(partial);
    closed_ = true;
    changed_.notify_all();
}

std::size_t SimProcess::countLinesLocked(std::string_view text) const
{
    std::size_t count = 0;
    for (const std::string &line : lines_) {
        if (line.find(text) != std::string::npos)
            ++count;
    }
    return count;
}

bool SimProcess::waitForLines(std::string_view text, std::size_t count,
                              std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        return closed_ || countLinesLocked(text) >= count;
    }) && countLinesLocked(text) >= count;
}

std::vector<std::string> SimProcess::lines() const
{
    std::lock_guard lock(mutex_);
    return lines_;
}

std::size_t SimProcess::countLines(std::string_view text) const
{
    std::lock_guard lock(mutex_);
    return countLinesLocked(text);
}

int SimProcess::stop(std::chrono::milliseconds timeout)
{
    if (pid_ <= 0)
        return -1;
    // `ip netns exec` replaces itself with the simulator, so the child is the simulator.
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid_, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (done == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    if (reader_.joinable())
        reader_.join();
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace ktr
