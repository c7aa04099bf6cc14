#include "tools/sim/sim_log.h"

namespace ktr {
namespace {

// Beyond this much gathered text (or what late lines are made from) a busy spell writes some
// out anyway. A search of the largest fleet stays well below it.
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
    write(line + '\n');
}

void SimLog::request(const std::vector<std::string> &lines)
{
    if (quiet_ || lines.empty())
        return;
    if (parts_.empty() || parts_.back().later)
        parts_.emplace_back();
    std::size_t bytes = 0;
    for (const std::string &line : lines) {
        parts_.back().text += line;
        parts_.back().text += '\n';
        bytes += line.size() + 1;
    }
    bound(bytes);
}

void SimLog::requestLater(LateLines lines, std::size_t bytes)
{
    if (quiet_)
        return;
    parts_.push_back(Part{{}, std::move(lines)});
    bound(bytes);
}

void SimLog::repliesSent(std::size_t sent, std::size_t failed)
{
    sent_ += sent;
    failed_ += failed;
}

void SimLog::bound(std::size_t bytes)
{
    gathered_ += bytes;
    if (gathered_ >= kMaxGathered)
        writeLines();
}

void SimLog::flush()
{
    if (quiet_ && requests_ + sent_ + failed_ > 0) {
        std::string summary = "summary: " + std::to_string(requests_) + " requests, " +
                              std::to_string(sent_) + " replies sent";
        if (failed_ > 0)
            summary += ", " + std::to_string(failed_) + " not sent";
        write(summary + '\n');
    }
    requests_ = sent_ = failed_ = 0;
    writeLines();
}

void SimLog::writeLines()
{
    // The text's room is kept from one spell to the next: a large search makes megabytes.
    text_.clear();
    for (Part &part : parts_) {
        text_ += part.text;
        if (part.later)
            part.later(text_);
    }
    parts_.clear();
    gathered_ = 0;
    write(text_);
}

void SimLog::write(const std::string &text)
{
    if (text.empty())
        return;
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fflush(out_);
}

} // namespace ktr
