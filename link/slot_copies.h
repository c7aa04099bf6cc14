// Which datagrams taken off an endpoint slot's socket count. Windows delivers a broadcast to
// every socket bound to port 1901 on the interface it came in on: to the 0.0.0.0 receive socket
// and again to the slot socket bound to that interface's address, so every broadcast reply would
// be seen twice (Linux delivers it to the receive socket only). The receive socket's copy is the
// one that counts; on a slot socket only what was sent to the slot's own address does - the
// unicast replies, which reach that socket alone.
#pragma once

#include <cstdint>

namespace ktr {

// destination: the address the datagram was sent to, as the system reports it with the datagram
// (IP_PKTINFO); 0 when it did not say, and the datagram then counts - better seen twice than
// lost. slotAddress: the address the slot socket is bound to. First octet most significant.
[[nodiscard]] constexpr bool CountsOnSlot(std::uint32_t destination, std::uint32_t slotAddress)
{
    return destination == 0 || destination == slotAddress;
}

} // namespace ktr
