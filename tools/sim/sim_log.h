// The simulator's log on standard output. Lines are gathered while requests are handled and
// written once the simulator has nothing left to do, so that no reply waits for a write to a
// slow reader. The many lines of a search are even made only then. Quiet, it writes only a
// summary of each busy spell.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace ktr {

// Appends lines to the log's text when it is written.
using LateLines = std::function<void(std::string &)>;

class SimLog
{
public:
    SimLog(std::FILE *out, bool quiet);

    // Written at once, quiet or not ("ready", "stopped").
    void announce(const std::string &line);
    // Lines of the request being handled (in one or more parts), then its end.
    void request(const std::vector<std::string> &lines);
    // Lines made only when the log is written; what they are made from holds about bytes.
    void requestLater(LateLines lines, std::size_t bytes);
    void requestDone() { ++requests_; }
    void repliesSent(std::size_t sent, std::size_t failed);
    // Writes what was gathered: the lines, or the summary of the spell since the last flush.
    void flush();

private:
    // Gathered text, or lines still to be made, in the order they came.
    struct Part
    {
        std::string text;
        LateLines later;
    };
    // A busy spell that never ends writes some lines anyway, bounding the memory.
    void bound(std::size_t bytes);
    void writeLines();
    void write(const std::string &text);

    std::FILE *out_;
    bool quiet_;
    std::vector<Part> parts_;
    std::string text_;
    std::size_t gathered_ = 0;
    std::size_t requests_ = 0;
    std::size_t sent_ = 0;
    std::size_t failed_ = 0;
};

} // namespace ktr
