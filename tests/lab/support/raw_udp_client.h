// A bare UDP client for the lab tests: broadcasts requests from one PC address, port 1901, and
// collects every datagram that comes back, by broadcast or by unicast.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "link/frame.h"

namespace ktr {

struct ClientDatagram
{
    Bytes data;
    std::uint32_t from = 0; // first octet most significant
    bool unicast = false;   // arrived addressed to the client's own address
};

class RawUdpClient
{
public:
    // Receive queue as large as the tool's own, for twenty thousand replies to one search.
    static constexpr int kReceiveBufferBytes = 16 * 1024 * 1024;

    RawUdpClient() = default;
    ~RawUdpClient();
    RawUdpClient(const RawUdpClient &) = delete;
    RawUdpClient &operator=(const RawUdpClient &) = delete;

    // Binds a sending socket to localAddress:1901 (unicast replies land there) and a receiving
    // socket to 0.0.0.0:1901 (broadcast replies land there), both with SO_REUSEADDR and
    // SO_BROADCAST. Returns an empty string or what failed.
    std::string open(std::uint32_t localAddress);

    // Sends the datagram to 255.255.255.255:1901 from the local address. 0 or errno.
    int broadcast(ByteView datagram);

    // Collects replies (start byte 0x55; the own request looped back is left out) for the
    // whole window, or until count of them arrived.
    std::vector<ClientDatagram> collect(std::chrono::milliseconds window,
                                        std::size_t count = SIZE_MAX);
    // broadcast, then collect.
    std::vector<ClientDatagram> exchange(ByteView request, std::chrono::milliseconds window,
                                         std::size_t count = SIZE_MAX);

    // The receiving socket's queue size as the kernel granted it.
    int receiveBufferBytes() const;

private:
    int send_ = -1;
    int receive_ = -1;
};

} // namespace ktr
