// The requests the tool is waiting on: which device must answer, with what, and by when. A
// reply is taken only when it answers one of them; everything else is ignored and counted. The
// clock is passed in, so the bookkeeping runs the same in the window, the command line and tests.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/frame.h"

namespace ktr {

using SteadyTime = std::chrono::steady_clock::time_point;
using Millis = std::chrono::milliseconds;

// What a request waits for. The protocol has no request ids, so a reply is known by the MAC it
// carries (bytes 4-9) and by what it holds.
enum class Awaited : std::uint8_t {
    NetworkBlock,   // reply 0x03 to a network read
    DeviceBlock,    // tunnel reply, function 0x10
    DeviceWriteAck, // tunnel reply, function 0x11
};

struct ReplyKey
{
    MacAddress mac{};
    Awaited awaited = Awaited::NetworkBlock;
    bool operator==(const ReplyKey &) const = default;
};

// The key of a classified datagram, or nullopt for anything that answers no request (search
// replies, acknowledgements of unacknowledged writes, short or broken frames).
[[nodiscard]] std::optional<ReplyKey> KeyOfReply(const Datagram &datagram);

// Why the tool waits: what it does with the reply is the caller's business.
enum class Purpose : std::uint8_t {
    ShowNetwork,  // fill the network page
    ShowDevice,   // fill the device page
    ConfirmWrite, // a device write's acknowledgement
    VerifyWrite,  // a re-read after a write that restarts the device
};

struct PendingRequest
{
    ReplyKey key;
    Purpose purpose = Purpose::ShowNetwork;
    Bytes request;       // sent again on a retry
    SteadyTime sendAt{}; // first send; later than now while the device is restarting
    Millis attemptTimeout{1500};
    int retries = 1;       // sends after the first
    SteadyTime giveUpAt{}; // when set, retries go on until then instead of counting down
    // Kept by the table.
    bool sent = false;
    SteadyTime deadline{};
    int attempts = 0;
};

// What a tick of the clock asks of the caller: requests to send now (first sends and retries),
// and requests whose last attempt went unanswered (removed from the table).
struct DueRequests
{
    std::vector<PendingRequest> toSend;
    std::vector<PendingRequest> expired;
};

class PendingRequests
{
public:
    // Registers a request; an entry with the same key is replaced. Its first send is handed out
    // by the next due() at or after sendAt.
    void add(PendingRequest request);
    // Registers a request that has just been sent (its first attempt runs from now).
    void addSent(PendingRequest request, SteadyTime now);
    // Takes the entry the reply answers. Nothing waiting for it: the reply is ignored and
    // counted, and nullopt comes back.
    [[nodiscard]] std::optional<PendingRequest> match(const ReplyKey &key);
    DueRequests due(SteadyTime now);

    PendingRequest *find(const ReplyKey &key);
    // Drops the entries of a purpose (the page moved on to another device).
    void cancel(Purpose purpose);
    bool empty() const { return entries_.empty(); }
    // When due() has something to hand out next; nullopt when nothing is pending.
    [[nodiscard]] std::optional<SteadyTime> nextWake() const;
    std::size_t ignoredReplies() const { return ignored_; }

private:
    std::vector<PendingRequest> entries_;
    std::size_t ignored_ = 0;
};

} // namespace ktr
