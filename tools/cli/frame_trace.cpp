// Trace lines.
#include "tools/cli/frame_trace.h"

#include "ops/frame_description.h"
#include "ops/text_convert.h"
#include "tools/cli/text_table.h"

namespace ktr::cli {
namespace {

std::string TwoDigits(long long value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

} // namespace

std::string TraceTimestamp(std::chrono::system_clock::time_point at)
{
    using namespace std::chrono;
    const long long ms = duration_cast<milliseconds>(at.time_since_epoch()).count() % 86400000LL;
    const long long millis = ms % 1000;
    return TwoDigits(ms / 3600000) + ':' + TwoDigits(ms / 60000 % 60) + ':' +
           TwoDigits(ms / 1000 % 60) + '.' + (millis < 100 ? "0" : "") + TwoDigits(millis);
}

std::string TraceLine(bool sent, ByteView datagram, const std::string &addresses)
{
    return std::string(sent ? "发送 " : "接收 ") + addresses + "  " + DescribeFrame(datagram) +
           "  [" + std::to_string(datagram.size()) + "] " + HexBytes(datagram);
}

void FrameTrace::sent(ByteView datagram, const std::vector<std::uint32_t> &via)
{
    if (enabled())
        write(TraceLine(true, datagram, JoinAddresses(via, ",") + " -> 255.255.255.255"));
}

void FrameTrace::received(ByteView datagram, std::uint32_t from, std::uint32_t via)
{
    if (!enabled())
        return;
    std::string addresses = FormatDottedAddress(from);
    if (via != 0)
        addresses += " -> " + FormatDottedAddress(via);
    write(TraceLine(false, datagram, addresses));
}

void FrameTrace::write(const std::string &line)
{
    const std::string stamped =
        TraceTimestamp(std::chrono::system_clock::now()) + ' ' + line + '\n';
    std::lock_guard lock(mutex_);
    std::fputs(stamped.c_str(), out_);
    std::fflush(out_);
}

} // namespace ktr::cli
