// The simulated devices of one process and how they answer one received request: a pure
// function of the request bytes and the time, so that it is tested without sockets.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
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

// One device's part in a search, kept so that its log line is written after the replies left.
struct SearchNote
{
    std::uint32_t index = 0;
    MacAddress mac{};            // as it was when the search came
    std::uint16_t replySize = 0; // as it left (a short reply is cut)
    bool answered = false;       // false: the device was restarting
};

// What one request caused: the datagrams to send and one log line per device that handled it
// (or one line telling why nobody did). A search leaves notes instead of lines, which
// Fleet::describeSearch turns into the same lines later.
struct Handling
{
    std::vector<Outgoing> replies;
    std::vector<std::string> lines;
    std::vector<SearchNote> searched;
    bool echo = false; // a device's reply (our own broadcasts come back too): no request
};

// Takes what a search of many devices has produced so far (and may empty it), so that the first
// replies leave before the last ones are built.
using EarlyOutput = std::function<void(Handling &)>;

class Fleet
{
public:
    // A search hands its output to the early output after its first few replies, so that they
    // leave at once, then after every batch of this many.
    static constexpr std::size_t kFirstBatch = 16;
    static constexpr std::size_t kEarlyBatch = 256;

    explicit Fleet(const FleetOptions &options);

    Handling handle(ByteView request, SimClock::time_point now, const EarlyOutput &early = {});
    // Appends the log lines of the search notes, one per device.
    void describeSearch(std::span<const SearchNote> notes, std::string &text) const;

    std::size_t size() const { return devices_.size(); }
    const SimDevice &device(std::size_t index) const { return devices_.at(index); }

private:
    // How the device's misbehaviour options treat its replies.
    struct Treatment
    {
        bool cut = false;
        bool dropped = false;
        bool unicast = false;
        bool delayed = false;
        bool wrongMac = false;
        bool badCrc = false; // tunnel replies only
        int copies = 1;
    };
    Treatment treatment(std::size_t index) const;
    // The log line of a reply that left with size bytes (after any cut), treated so.
    std::string replyLine(std::string_view label, std::string_view what, std::size_t size,
                          bool tunnel, const Treatment &treated) const;
    void handleAddressed(SimDevice &device, std::uint8_t command, ByteView data,
                         SimClock::time_point now, Handling &out);
    // Sends reply (built with the MAC the device shows) with the device's misbehaviour applied,
    // with its log line.
    void answer(const SimDevice &device, std::string_view what, Bytes reply,
                SimClock::time_point now, Handling &out) const;
    // Queues reply as the device's misbehaviour has it; returns the size it has then.
    std::size_t deliver(std::size_t index, Bytes reply, SimClock::time_point now,
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
