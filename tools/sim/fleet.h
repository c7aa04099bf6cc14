// The simulated devices of one process and how they answer one received request: a pure
// function of the request bytes and the time, so that it is tested without sockets.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/frame.h"
#include "tools/sim/device_set.h"
#include "tools/sim/sim_device.h"

namespace ktr {

struct FleetOptions
{
    std::size_t devices = 1;
    std::uint32_t firstIp = 0xC0A8000Au; // 192.168.0.10
    MacAddress firstMac{0x00, 0x0E, 0xEB, 0x00, 0x00, 0x01};
    std::uint16_t firmware = 288;
    std::chrono::milliseconds restart{1500};

    DeviceSet unicast; // reply to the requester's address instead of broadcasting
    DeviceSet drop;    // replies are lost; the request still takes effect
    DeviceSet delay;   // replies leave delayBy after the request
    std::chrono::milliseconds delayBy{1000};
    DeviceSet duplicate;    // every reply is sent twice
    DeviceSet badCrc;       // tunnel frames in replies carry a broken CRC
    DeviceSet shortReply;   // replies are cut to a third of their length
    DeviceSet wrongMac;     // replies carry the device's MAC with the last octet inverted
    DeviceSet ignoreWrites; // writes, resets and MAC changes are dropped unanswered, no restart
};

enum class Delivery { Broadcast, Unicast };

struct Outgoing
{
    Bytes datagram;
    Delivery delivery = Delivery::Broadcast;
    SimClock::time_point sendAt{};
};

// What one request caused: the datagrams to send and one log line per device that handled it
// (or one line telling why nobody did).
struct Handling
{
    std::vector<Outgoing> replies;
    std::vector<std::string> lines;
};

// Takes what a search of many devices has produced so far (and may empty it), so that the first
// replies leave before the last ones are built.
using EarlyOutput = std::function<void(Handling &)>;

class Fleet
{
public:
    // A search hands its output to the early output after this many replies.
    static constexpr std::size_t kEarlyBatch = 256;

    explicit Fleet(const FleetOptions &options);

    Handling handle(ByteView request, SimClock::time_point now, const EarlyOutput &early = {});

    std::size_t size() const { return devices_.size(); }
    const SimDevice &device(std::size_t index) const { return devices_.at(index); }

private:
    void handleAddressed(SimDevice &device, std::uint8_t command, ByteView data,
                         SimClock::time_point now, Handling &out);
    // Sends reply (built with the MAC the device shows) with the device's misbehaviour applied.
    void answer(const SimDevice &device, std::string what, Bytes reply, SimClock::time_point now,
                Handling &out) const;
    MacAddress replyMac(const SimDevice &device) const;
    Bytes tunnelFrame(const SimDevice &device, std::uint8_t function, ByteView body) const;
    std::string restart(SimDevice &device, SimClock::time_point now) const;

    FleetOptions options_;
    std::vector<SimDevice> devices_;
};

// The name of a request command in log lines ("search", "read-network", ...).
std::string CommandName(std::uint8_t command);

} // namespace ktr
