// The network debug trace of the window: off by default, on with
// QT_LOGGING_RULES="ktr.net.debug=true".
#pragma once

#include <QLoggingCategory>

#include <cstdint>
#include <optional>

namespace ktr {

Q_DECLARE_LOGGING_CATEGORY(lcNet)

// The size of the receive queue the system granted (nullopt: it did not say) against the size
// asked for.
void TraceReceiveQueue(int askedBytes, std::optional<int> grantedBytes);
// Datagrams the system dropped because a receive queue was full.
void TraceDroppedDatagrams(std::uint32_t added, std::uint64_t total);

} // namespace ktr
