// The --trace output: every frame sent and received, time-stamped, in hex and with its meaning.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "link/frame.h"

namespace ktr::cli {

class FrameTrace
{
public:
    // Writes to the stream (standard error for the program); a null stream traces nothing.
    explicit FrameTrace(std::FILE *out)
        : out_(out)
    {
    }

    bool enabled() const { return out_ != nullptr; }
    // A request sent from the given local addresses.
    void sent(ByteView datagram, const std::vector<std::uint32_t> &via);
    // A datagram from a device's address, arrived on the local address via (0: not known).
    void received(ByteView datagram, std::uint32_t from, std::uint32_t via);

private:
    void write(const std::string &line);

    std::FILE *out_;
    std::mutex mutex_;
};

// "12:34:56.789": the time of day in UTC, which support can line up with other records.
std::string TraceTimestamp(std::chrono::system_clock::time_point at);

// One trace line without its time stamp: direction, addresses, meaning, then the bytes.
std::string TraceLine(bool sent, ByteView datagram, const std::string &addresses);

} // namespace ktr::cli
