// One-line descriptions of the protocol's datagrams, for the traces a technician sends to
// support: the bytes in hex and what they mean.
#pragma once

#include <string>

#include "link/frame.h"

namespace ktr {

// "AA 00 01 02 02": upper-case pairs separated by spaces.
std::string HexBytes(ByteView bytes);

// What a datagram is and what it carries, e.g. "搜索应答 MAC 00-0E-EB-00-00-01 IP 192.168.0.10
// 固件 288". Never reads past the datagram; a frame the tool would not accept says why.
std::string DescribeFrame(ByteView datagram);

} // namespace ktr
