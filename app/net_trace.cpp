#include "app/net_trace.h"

namespace ktr {

Q_LOGGING_CATEGORY(lcNet, "ktr.net", QtWarningMsg)

void TraceReceiveQueue(int askedBytes, std::optional<int> grantedBytes)
{
    if (!grantedBytes) {
        qCDebug(lcNet,
                "receive queue: %d bytes asked for, the system does not say how many granted",
                askedBytes);
        return;
    }
    // Linux reports twice the bytes granted (the rest is its bookkeeping) and caps what a
    // process without CAP_NET_ADMIN gets at net.core.rmem_max.
    qCDebug(lcNet, "receive queue: %d bytes asked for, %d granted%s", askedBytes, *grantedBytes,
            *grantedBytes < askedBytes ? " (less: a large search may lose replies)" : "");
}

void TraceDroppedDatagrams(std::uint32_t added, std::uint64_t total)
{
    qCDebug(lcNet, "receive queue full: %u datagrams dropped, %llu since start", added,
            static_cast<unsigned long long>(total));
}

} // namespace ktr
