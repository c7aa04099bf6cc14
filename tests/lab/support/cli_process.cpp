// Running ktr-cli with its three standard streams on pipes.
#include "tests/lab/support/cli_process.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ktr {
namespace {

// Reads what is waiting on the pipe into text; false once it is closed.
bool ReadSome(int fd, std::string &text)
{
    char buffer[65536];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    return n > 0 || (n < 0 && errno == EINTR);
}

} // namespace

CliRun RunCli(const std::vector<std::string> &args, const std::string &input,
              std::chrono::milliseconds timeout, const std::function<bool()> &interruptWhen)
{
    CliRun run;
    const char *cli = std::getenv("KTR_CLI");
    if (cli == nullptr)
        return run;
    std::vector<std::string> argv{cli};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> cargv;
    for (std::string &a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);

    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return run;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        execv(cargv[0], cargv.data());
        _exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (!input.empty()) {
        [[maybe_unused]] const ssize_t written = ::write(in[1], input.data(), input.size());
    }
    ::close(in[1]);

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool outOpen = true, errOpen = true;
    bool interrupted = false;
    while ((outOpen || errOpen) && std::chrono::steady_clock::now() < deadline) {
        if (interruptWhen && !interrupted && interruptWhen()) {
            ::kill(pid, SIGINT);
            interrupted = true;
        }
        pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
        if (::poll(fds, 2, 100) <= 0)
            continue;
        if (fds[0].revents != 0)
            outOpen = ReadSome(out[0], run.out);
        if (fds[1].revents != 0)
            errOpen = ReadSome(err[0], run.err);
    }
    if (outOpen || errOpen)
        ::kill(pid, SIGKILL);
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

} // namespace ktr
