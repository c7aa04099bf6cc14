#include "tools/sim/sim_log.h"

namespace ktr {
namespace {

// Beyond this much gathered text a busy spell writes some out anyway, bounding the memory.
constexpr std::size_t kMaxGathered = 4 * 1024 * 1024;

} // namespace

SimLog::SimLog(std::FILE *out, bool quiet)
    : out_(out)
    , quiet_(quiet)
{
}

void SimLog::announce(const std::string &line)
{
    flush();
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void SimLog::request(const std::vector<std::string> &lines)
{
    if (quiet_)
        return;
    for (const std::string &line : lines) {
        pending_ += line;
        pending_ += '\n';
    }
    if (pending_.size() >= kMaxGathered) {
        std::fwrite(pending_.data(), 1, pending_.size(), out_);
        pending_.clear();
    }
}

void SimLog::repliesSent(std::size_t sent, std::size_t failed)
{
    sent_ += sent;
    failed_ += failed;
}

void SimLog::flush()
{
    if (quiet_ && requests_ + sent_ + failed_ > 0) {
        pending_ = "summary: " + std::to_string(requests_) + " requests, " + std::to_string(sent_) +
                   " replies sent";
        if (failed_ > 0)
            pending_ += ", " + std::to_string(failed_) + " not sent";
        pending_ += '\n';
    }
    requests_ = sent_ = failed_ = 0;
    if (pending_.empty())
        return;
    std::fwrite(pending_.data(), 1, pending_.size(), out_);
    std::fflush(out_);
    pending_.clear();
}

} // namespace ktr
