// Requests that wait for their answer, for many devices at once: one thread drives the link
// (sends what is due, takes replies, retries, gives up) through the shared pending-request
// table, while each device's steps run as plain blocking calls on their own thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "ops/pending_requests.h"
#include "tools/cli/session.h"

namespace ktr::cli {

class Exchange
{
public:
    // The session must stay open while the exchange lives; the exchange receives on it.
    explicit Exchange(Session &session);
    ~Exchange();
    Exchange(const Exchange &) = delete;
    Exchange &operator=(const Exchange &) = delete;

    // Registers the request and waits: the reply it awaits (the whole datagram), or nullopt
    // when its last attempt went unanswered or it went out on no interface.
    [[nodiscard]] std::optional<Bytes> await(PendingRequest request);
    // Several requests at once (each awaiting something else), their answers in their order.
    [[nodiscard]] std::vector<std::optional<Bytes>> awaitAll(std::vector<PendingRequest> requests);

    // Sends a request that gets no answer. False when it went out on no interface.
    [[nodiscard]] bool send(ByteView request);

    // Replies that answered nothing waited for (another device's, a late duplicate, ...).
    std::size_t ignoredReplies() const;

private:
    // One per waiting thread, each woken alone: with a thousand devices in flight a shared
    // condition would wake every thread for every reply.
    struct Waiter
    {
        std::condition_variable finished;
        std::optional<Bytes> reply;
        bool done = false;
    };
    using Key = std::pair<MacAddress, Awaited>;

    void run();
    void finish(const ReplyKey &key, std::optional<Bytes> reply);

    Session &session_;
    mutable std::mutex mutex_;
    PendingRequests table_;
    std::map<Key, Waiter *> waiters_;
    bool stop_ = false;
    std::mutex sendMutex_;
    std::thread thread_;
};

} // namespace ktr::cli
