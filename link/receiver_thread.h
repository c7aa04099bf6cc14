// The worker thread that receives every datagram arriving on port 1901 and hands each one over,
// whole and once, as its own copy.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "link/frame.h"
#include "link/udp_socket.h"

namespace ktr {

class ReceiverThread
{
public:
    // Called on the receiver thread once per datagram of 1 to 1024 bytes, with its own copy of
    // the bytes. The window posts it on to its own thread. It must not call stop or
    // setSlotSockets; an exception it throws drops that datagram only.
    using Deliver = std::function<void(Bytes datagram)>;
    // Called on the receiver thread when the system's count of datagrams it dropped on the
    // receive socket or a slot socket (a full receive queue) has grown: by how many since last
    // seen, and in all over every socket read since the start. The system tells the count with
    // each datagram on a socket with the drop counter on (UdpSocket::setDropCounter), and the
    // thread asks for it on every socket once the datagrams stop (DroppedSoFar).
    using DropsGrew = std::function<void(std::uint32_t added, std::uint64_t total)>;
    // Called on the receiver thread once the datagrams stopped coming: no datagram for
    // kQuietAfter after the last one delivered. Once per quiet spell; never while idle.
    using Quiet = std::function<void()>;
    static constexpr std::chrono::milliseconds kQuietAfter{1};

    // Starts the thread at once. It blocks in poll on the receive socket and on the sockets set
    // by setSlotSockets (unicast replies to a local address land on the slot bound to it).
    ReceiverThread(SocketHandle receiveSocket, Deliver deliver, DropsGrew dropsGrew = {},
                   Quiet quiet = {});
    // Stops and joins the thread; no delivery happens after the destructor returns.
    ~ReceiverThread();
    ReceiverThread(const ReceiverThread &) = delete;
    ReceiverThread &operator=(const ReceiverThread &) = delete;

    // Replaces the set of slot sockets read besides the receive socket; safe from any thread.
    // Returns once the thread no longer reads sockets missing from the new set, so the caller
    // may close them afterwards.
    void setSlotSockets(std::vector<SocketHandle> sockets);
    // Stops and joins; idempotent.
    void stop();
    // False once stopped, or when the thread could not be started (no wake-up channel or no
    // thread to be had); nothing is received then.
    bool isRunning() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_; // keeps platform headers out of this header
};

} // namespace ktr
