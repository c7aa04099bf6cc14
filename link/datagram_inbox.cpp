#include "link/datagram_inbox.h"

#include <utility>

namespace ktr {

bool DatagramInbox::put(Bytes datagram)
{
    const std::lock_guard lock(mutex_);
    queued_.push_back(std::move(datagram));
    if (takerAwake_)
        return false;
    takerAwake_ = true;
    return true;
}

std::vector<Bytes> DatagramInbox::take()
{
    std::vector<Bytes> taken;
    const std::lock_guard lock(mutex_);
    taken.swap(queued_);
    takerAwake_ = !taken.empty();
    return taken;
}

bool DatagramInbox::holdsDatagrams()
{
    const std::lock_guard lock(mutex_);
    return !queued_.empty();
}

std::vector<Bytes> DatagramInbox::takeMore()
{
    std::vector<Bytes> taken;
    const std::lock_guard lock(mutex_);
    taken.swap(queued_);
    return taken;
}

} // namespace ktr
