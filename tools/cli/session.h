// The command line's side of the link: the receive socket and one sending endpoint per local
// interface (or the one asked for), requests broadcast through them and replies read back in
// one caller-driven loop, each traced when asked.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/result.h"
#include "link/drop_tally.h"
#include "link/endpoints.h"
#include "link/frame.h"
#include "link/udp_socket.h"
#include "tools/cli/frame_trace.h"

namespace ktr::cli {

using Clock = std::chrono::steady_clock;

struct Reply
{
    Bytes data;
    std::uint32_t from = 0; // the device's address, first octet most significant
    std::uint32_t via = 0;  // the local address it arrived on; 0 when not known
};

class Session
{
public:
    explicit Session(FrameTrace &trace)
        : trace_(trace)
    {
    }
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Starts the network stack and opens the sockets: the receive socket on 0.0.0.0:1901 and a
    // sending endpoint on each local IPv4 address, or only on the one given, which must be one
    // of them. The failure says what failed, for the user.
    [[nodiscard]] Status<std::string>
    open(std::optional<std::uint32_t> interfaceAddress = std::nullopt);

    // The local addresses with an open endpoint, in interface order.
    const std::vector<std::uint32_t> &interfaces() const { return interfaces_; }

    // Broadcasts the request through every open endpoint. False when it went out on none.
    [[nodiscard]] bool send(ByteView request);

    // The next reply (start byte 0x55) received before the deadline; nullopt once it passed.
    [[nodiscard]] std::optional<Reply> receive(Clock::time_point deadline);

    // The datagrams the system reported dropping (a full receive queue) on the receive socket
    // and every endpoint socket since open: replies that never reached the tool.
    std::uint64_t droppedReplies() const;

private:
    // socketAddress: the address a slot socket is bound to; 0 for the receive socket.
    void drain(SocketHandle socket, std::uint32_t socketAddress);
    // The receive socket's and the open endpoints' handles, each with the local address it
    // stands for (0 for the receive socket).
    std::vector<std::pair<SocketHandle, std::uint32_t>> sockets() const;
    bool isOwnEcho(const Reply &datagram) const;

    FrameTrace &trace_;
    bool stackStarted_ = false;
    UdpSocket receiveSocket_;
    Endpoints endpoints_;
    std::vector<std::uint32_t> interfaces_;
    std::deque<Reply> queued_;
    // Filled as datagrams report their socket's count, and by droppedReplies, which asks.
    mutable DropTally drops_;
};

} // namespace ktr::cli
