// Datagrams handed from the receiver thread to the window thread. The window is woken for the
// first datagram after a quiet spell; while datagrams keep coming it takes them at its own pace
// (once per frame) and is not woken for each one - a search of thousands of devices would
// otherwise wake it thousands of times a second.
#pragma once

#include <mutex>
#include <vector>

#include "link/frame.h"

namespace ktr {

class DatagramInbox
{
public:
    // Receiver thread. True when the taker must be woken: it is not taking on its own.
    [[nodiscard]] bool put(Bytes datagram);
    // Window thread. Everything put since the last take, oldest first. After a take that finds
    // datagrams the taker is counted on to take again; one that finds none ends that, and the
    // next put asks for a wake again.
    [[nodiscard]] std::vector<Bytes> take();
    // Window thread, after a take that found datagrams: what came since, leaving the taker
    // counted on to take again even when there is nothing (a burst dispatched to its end).
    [[nodiscard]] std::vector<Bytes> takeMore();
    // Any thread: datagrams are waiting to be taken.
    [[nodiscard]] bool holdsDatagrams();

private:
    std::mutex mutex_;
    std::vector<Bytes> queued_;
    bool takerAwake_ = false;
};

} // namespace ktr
