// The system's running counts of datagrams dropped on each receiving socket, turned into what is
// new since last seen and a total over all sockets.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "link/udp_socket.h"

namespace ktr {

class DropTally
{
public:
    // Takes a count the system reported for the socket and returns by how much it grew since the
    // last count taken for it (a socket's count starts at zero when it is created). A count
    // below the last one is an older report (carried by a datagram queued before later drops)
    // and adds nothing.
    std::uint32_t note(SocketHandle socket, std::uint32_t count)
    {
        auto seen = std::find_if(seen_.begin(), seen_.end(),
                                 [&](const auto &entry) { return entry.first == socket; });
        if (seen == seen_.end())
            seen = seen_.insert(seen_.end(), {socket, 0});
        if (count <= seen->second)
            return 0;
        const std::uint32_t added = count - seen->second;
        seen->second = count;
        total_ += added;
        return added;
    }

    // Forgets the sockets missing from the list: they were closed, and a new socket may come
    // back with the same handle and a count that starts again at zero.
    void keepOnly(std::span<const SocketHandle> sockets)
    {
        std::erase_if(seen_, [&](const auto &entry) {
            return std::find(sockets.begin(), sockets.end(), entry.first) == sockets.end();
        });
    }

    // Every drop noted so far, over all sockets, forgotten ones included.
    std::uint64_t total() const { return total_; }

private:
    std::vector<std::pair<SocketHandle, std::uint32_t>> seen_;
    std::uint64_t total_ = 0;
};

} // namespace ktr
