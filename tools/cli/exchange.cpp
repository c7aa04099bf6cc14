// The link thread of the command line.
#include "tools/cli/exchange.h"

#include <algorithm>

namespace ktr::cli {
namespace {

// New requests are picked up within this time; the loop otherwise sleeps in poll.
constexpr std::chrono::milliseconds kPickUp{5};

} // namespace

Exchange::Exchange(Session &session)
    : session_(session)
    , thread_([this] { run(); })
{
}

Exchange::~Exchange()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    thread_.join();
}

std::optional<Bytes> Exchange::await(PendingRequest request)
{
    std::vector<PendingRequest> one;
    one.push_back(std::move(request));
    return std::move(awaitAll(std::move(one)).front());
}

std::vector<std::optional<Bytes>> Exchange::awaitAll(std::vector<PendingRequest> requests)
{
    std::vector<Waiter> waiters(requests.size());
    std::unique_lock lock(mutex_);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        waiters_[Key{requests[i].key.mac, requests[i].key.awaited}] = &waiters[i];
        table_.add(std::move(requests[i]));
    }
    std::vector<std::optional<Bytes>> replies;
    for (Waiter &waiter : waiters) {
        waiter.finished.wait(lock, [&] { return waiter.done; });
        replies.push_back(std::move(waiter.reply));
    }
    return replies;
}

bool Exchange::send(ByteView request)
{
    std::lock_guard lock(sendMutex_);
    return session_.send(request);
}

std::size_t Exchange::ignoredReplies() const
{
    std::lock_guard lock(mutex_);
    return table_.ignoredReplies();
}

void Exchange::finish(const ReplyKey &key, std::optional<Bytes> reply)
{
    const auto it = waiters_.find(Key{key.mac, key.awaited});
    if (it == waiters_.end())
        return;
    Waiter &waiter = *it->second;
    waiter.reply = std::move(reply);
    waiter.done = true;
    waiters_.erase(it);
    waiter.finished.notify_one();
}

void Exchange::run()
{
    for (;;) {
        DueRequests due;
        auto wake = Clock::now() + kPickUp;
        {
            std::lock_guard lock(mutex_);
            if (stop_)
                return;
            due = table_.due(Clock::now());
            for (const PendingRequest &expired : due.expired)
                finish(expired.key, std::nullopt);
        }
        for (const PendingRequest &r : due.toSend) {
            if (send(r.request))
                continue;
            // Out on no interface: nothing can answer it.
            std::lock_guard lock(mutex_);
            if (table_.match(r.key))
                finish(r.key, std::nullopt);
        }
        {
            std::lock_guard lock(mutex_);
            if (const auto next = table_.nextWake())
                wake = std::min(wake, *next);
        }
        while (auto reply = session_.receive(wake)) {
            const auto key = KeyOfReply(ClassifyDatagram(reply->data));
            if (!key)
                continue;
            std::lock_guard lock(mutex_);
            if (table_.match(*key))
                finish(*key, std::move(reply->data));
        }
    }
}

} // namespace ktr::cli
