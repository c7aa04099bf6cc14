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
    Waiter waiter;
    const Key key{request.key.mac, request.key.awaited};
    std::unique_lock lock(mutex_);
    waiters_[key] = &waiter;
    table_.add(std::move(request));
    finished_.wait(lock, [&] { return waiter.finished; });
    return std::move(waiter.reply);
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
    it->second->reply = std::move(reply);
    it->second->finished = true;
    waiters_.erase(it);
    finished_.notify_all();
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
            const auto key = KeyOfReply(reply->data);
            if (!key)
                continue;
            std::lock_guard lock(mutex_);
            if (table_.match(*key))
                finish(*key, std::move(reply->data));
        }
    }
}

} // namespace ktr::cli
