// The simulator's log on standard output. Lines are gathered while requests are handled and
// written once the simulator has nothing left to do, so that no reply waits for a write to a
// slow reader. Quiet, it writes only a summary of each busy spell.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace ktr {

class SimLog
{
public:
    SimLog(std::FILE *out, bool quiet);

    // Written at once, quiet or not ("ready", "stopped").
    void announce(const std::string &line);
    // Lines of the request being handled (in one or more parts), then its end.
    void request(const std::vector<std::string> &lines);
    void requestDone() { ++requests_; }
    void repliesSent(std::size_t sent, std::size_t failed);
    // Writes what was gathered: the lines, or the summary of the spell since the last flush.
    void flush();

private:
    std::FILE *out_;
    bool quiet_;
    std::string pending_;
    std::size_t requests_ = 0;
    std::size_t sent_ = 0;
    std::size_t failed_ = 0;
};

} // namespace ktr
