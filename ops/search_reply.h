// The fields of a device's answer to a search, and the row texts the device list shows.
#pragma once

#include <cstdint>
#include <string>

#include "link/frame.h"

namespace ktr {

inline constexpr const char *kDeviceName = "QX-HT-LAN";

struct SearchReply
{
    std::uint32_t ip = 0; // first dotted octet most significant
    MacAddress mac{};
    std::uint16_t firmware = 0;
    std::string name; // text from offset 22 up to a zero byte; not shown
};

// Reads a search reply of at least 20 bytes (the caller has classified it).
SearchReply DecodeSearchReply(ByteView datagram);
// Builds the reply a device sends: IP at 8-11, MAC at 12-17, firmware at 18-19, name from 22.
Bytes EncodeSearchReply(const SearchReply &reply);

// What the user reads when the system dropped replies before the tool could take them (a full
// receive queue): the search may have missed devices. The window's message line and ktr-cli's
// line on standard error.
std::string DroppedRepliesText(std::uint64_t count);

} // namespace ktr
